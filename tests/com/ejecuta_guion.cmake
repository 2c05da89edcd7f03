# Runs one VBScript scenario as a counter machine would: a fresh folder with
# Vardel.dll, the reader simulator, its scenario and Config.ini, the server
# registered for the run, the script host started there.
#   -DEMULADOR -DANFITRION -DBIN -DGUION -DESCENARIO -DCARPETA
#   [-DIMAGENES=name of the image folder in Config.ini, "img" by default]
if(NOT IMAGENES)
  set(IMAGENES img)
endif()
file(REMOVE_RECURSE ${CARPETA})
file(MAKE_DIRECTORY ${CARPETA}/img)
file(COPY ${BIN}/Vardel.dll ${BIN}/mtxmlmcr.dll DESTINATION ${CARPETA})
if(EXISTS ${BIN}/tray)
  file(COPY ${BIN}/tray DESTINATION ${CARPETA})
endif()
file(READ ${ESCENARIO} escenario)
file(WRITE ${CARPETA}/mtxmlmcr.scenario "${escenario}")
file(COPY ${GUION} DESTINATION ${CARPETA})

function(ruta_windows variable ruta)
  string(REPLACE "/" "\\" ruta "Z:${ruta}")
  set(${variable} "${ruta}" PARENT_SCOPE)
endfunction()
ruta_windows(imagenes ${CARPETA}/${IMAGENES})
ruta_windows(dll ${CARPETA}/Vardel.dll)
get_filename_component(nombre_guion ${GUION} NAME)
ruta_windows(guion ${CARPETA}/${nombre_guion})
ruta_windows(anfitrion ${ANFITRION})

file(WRITE ${CARPETA}/Config.ini
"[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nLogActivo=S\r\nDirectorioLog=\r\n\
DirectorioImg=${imagenes}\r\nTransfer=MEMORY\r\nDocUnits=ENGLISH\r\nReadMICR=CMC7\r\n\
Endorse=BACK\r\nMICRFmtCode=0\r\nDocFeed=CMC7\r\nPrintSide=BACK\r\nPrintData=COMPENSADO\r\n\
PrinFont=INTERNAL\r\nNumber=3\r\nImageColor1=GRAY\r\nResolution1=200x200\r\nCompression1=G4\r\n\
FileType1=TIF\r\nImageSide1=FRONT\r\nFilterB=NONE\r\nImageColor2=GRAY\r\nResolution2=200x200\r\n\
Compression2=G4\r\nFileType2=TIF\r\nImageSide2=BACK\r\nImageColor3=COLOR\r\n\
Resolution3=100x100\r\nCompression3=JPEG\r\nFileType3=JPG\r\nImageSide3=FRONT\r\n")

execute_process(COMMAND ${EMULADOR} ${ANFITRION} --servidor ${dll} ${guion}
                WORKING_DIRECTORY ${CARPETA} RESULT_VARIABLE resultado OUTPUT_VARIABLE salida
                ERROR_VARIABLE errores)
message("${salida}${errores}")
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "${nombre_guion}: exit code ${resultado}")
endif()
file(REMOVE_RECURSE ${CARPETA})
