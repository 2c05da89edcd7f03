# Builds one Windows Installer package with wixl, then applies the SQL
# statements of CONSULTAS (one a line) with msibuild: what wixl ignores or
# rejects, such as component attributes and conditions.
#   -DWIXL -DMSIBUILD -DARQUITECTURA=x64|x86 -DFUENTE=<.wxs> -DCONSULTAS=<.sql>
#   -DORIGEN=<folder the .wxs's file paths start from> -DVERSION -DSALIDA=<.msi>
set(temporal ${SALIDA}.nuevo)
file(REMOVE ${temporal})
execute_process(COMMAND ${WIXL} -a ${ARQUITECTURA} -D Version=${VERSION} -o ${temporal} ${FUENTE}
                WORKING_DIRECTORY ${ORIGEN} RESULT_VARIABLE resultado ERROR_VARIABLE errores)
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "wixl failed:\n${errores}")
endif()
file(STRINGS ${CONSULTAS} consultas)
foreach(consulta IN LISTS consultas)
  execute_process(COMMAND ${MSIBUILD} ${temporal} -q "${consulta}" RESULT_VARIABLE resultado
                  ERROR_VARIABLE errores)
  if(NOT resultado EQUAL 0)
    message(FATAL_ERROR "msibuild failed on ${consulta}:\n${errores}")
  endif()
endforeach()
file(RENAME ${temporal} ${SALIDA})
