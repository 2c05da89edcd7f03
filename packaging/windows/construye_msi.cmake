# Builds one Windows Installer package with wixl, then applies the SQL
# statements of CONSULTAS (one a line) with msibuild: what wixl ignores or
# rejects, such as component attributes and conditions.
#   -DWIXL -DMSIBUILD -DARQUITECTURA=x64|x86 -DFUENTE=<.wxs> -DCONSULTAS=<.sql>
#   -DORIGEN=<the bin folder> -DCONFIGURACION=<the installed copy's Config.ini>
#   -DUPGRADE=<upgrade code> -DVERSION -DSALIDA=<.msi>
#
# Two builds of one commit give the same package (docs/windows-install.md,
# "Reproducible packages"): the product code is derived from the upgrade
# code and the version; every file packed is a copy dated FECHA (the
# build's SOURCE_DATE_EPOCH), since the cabinet keeps each file's date;
# and RESUMEN (resumen_msi.py, run by PYTHON_SISTEMA) dates the summary
# information FECHA and derives the package code from the package's bytes.
#   -DFECHA -DRESUMEN -DPYTHON_SISTEMA
#
# With a certificate (FIRMA_PKCS12 or FIRMA_PKCS11_MODULO), the binaries
# (BINARIOS, comma-separated names in ORIGEN) are signed before wixl packs
# them, and the package once msibuild is done, by FIRMA (firma.sh):
#   -DFIRMA -DBINARIOS [-DFIRMA_PKCS12 | -DFIRMA_PKCS11_MODULO -DFIRMA_PKCS11_CLAVE
#   -DFIRMA_CERTIFICADOS [-DFIRMA_PKCS11_MOTOR]] [-DFIRMA_CLAVE_ARCHIVO] [-DFIRMA_SELLO]
# Without one the same copies are packed unsigned: developers build alike.
#
# Last, the package's bill of materials beside it, <package>.spdx.json,
# made by INVENTARIO (inventario_spdx.py, run by PYTHON) from the files
# the package holds, as msiextract takes them out of it, with the further
# arguments listed one a line in ARGUMENTOS_INVENTARIO:
#   -DMSIEXTRACT -DPYTHON -DINVENTARIO -DARGUMENTOS_INVENTARIO -DNOMBRE=<product name>
set(temporal ${SALIDA}.nuevo)
set(binarios ${SALIDA}.binarios)
set(datos ${SALIDA}.datos)
file(REMOVE ${temporal})
file(REMOVE_RECURSE ${binarios} ${datos})
file(MAKE_DIRECTORY ${binarios} ${datos})

set(firma "")
if(FIRMA_PKCS12)
  list(APPEND firma --pkcs12 ${FIRMA_PKCS12})
elseif(FIRMA_PKCS11_MODULO)
  list(APPEND firma --pkcs11-modulo ${FIRMA_PKCS11_MODULO} --pkcs11-clave ${FIRMA_PKCS11_CLAVE}
       --certificados ${FIRMA_CERTIFICADOS})
  if(FIRMA_PKCS11_MOTOR)
    list(APPEND firma --pkcs11-motor ${FIRMA_PKCS11_MOTOR})
  endif()
endif()
if(firma AND FIRMA_CLAVE_ARCHIVO)
  list(APPEND firma --clave-archivo ${FIRMA_CLAVE_ARCHIVO})
endif()
if(firma AND FIRMA_SELLO)
  list(APPEND firma --sello ${FIRMA_SELLO})
endif()
# firma.sh IN OUT, failing the build when it fails.
function(firma entrada salida)
  execute_process(COMMAND ${FIRMA} ${firma} ${entrada} ${salida} RESULT_VARIABLE resultado
                  ERROR_VARIABLE errores)
  if(NOT resultado EQUAL 0)
    message(FATAL_ERROR "signing ${entrada} failed:\n${errores}")
  endif()
endfunction()

# The binaries the package holds: copies of the tree's, signed when a
# certificate is given. The tree's own stay unsigned, as the tests use them.
string(REPLACE "," ";" lista_binarios "${BINARIOS}")
foreach(binario IN LISTS lista_binarios)
  if(firma)
    firma(${ORIGEN}/${binario} ${binarios}/${binario})
  else()
    file(COPY_FILE ${ORIGEN}/${binario} ${binarios}/${binario})
  endif()
endforeach()

# The other files packed: the installed copy's Config.ini, the simulator's
# scenario and its tray.
file(COPY_FILE ${CONFIGURACION} ${datos}/Config.ini)
file(COPY ${ORIGEN}/mtxmlmcr.scenario ${ORIGEN}/tray DESTINATION ${datos})
# The cabinet keeps each file's modification time: every copy is dated
# FECHA, whenever it was built or copied.
file(GLOB_RECURSE empaquetados ${binarios}/* ${datos}/*)
execute_process(COMMAND touch -d @${FECHA} ${empaquetados} COMMAND_ERROR_IS_FATAL ANY)

# The product code: one per version of this architecture's product, the
# same in every build of it (wixl's Id="*" would draw a new one each time).
string(UUID codigo_producto NAMESPACE ${UPGRADE} NAME "${VERSION}" TYPE SHA1 UPPER)

# wixl takes only paths relative to its working folder.
file(RELATIVE_PATH binarios_relativos ${ORIGEN} ${binarios})
file(RELATIVE_PATH datos_relativos ${ORIGEN} ${datos})
execute_process(COMMAND ${WIXL} -a ${ARQUITECTURA} -D Version=${VERSION}
                        -D CodigoProducto={${codigo_producto}} -D Binarios=${binarios_relativos}/
                        -D Datos=${datos_relativos}/ -o ${temporal} ${FUENTE}
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
# wixl dates the summary information now and draws a new package code:
# both are set from the package itself, before it is signed.
execute_process(COMMAND ${PYTHON_SISTEMA} ${RESUMEN} ${temporal} ${FECHA} RESULT_VARIABLE resultado
                ERROR_VARIABLE errores)
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "resumen_msi.py failed:\n${errores}")
endif()
if(firma)
  firma(${temporal} ${temporal})
endif()

# The bill of materials, of the files as the package holds them: what
# msiextract takes out of it.
set(extraidos ${SALIDA}.extraidos)
file(REMOVE_RECURSE ${extraidos})
execute_process(COMMAND ${MSIEXTRACT} -C ${extraidos} ${temporal} OUTPUT_QUIET
                COMMAND_ERROR_IS_FATAL ANY)
# msiextract names the install folder as it knows it: "Vardel" for the x64
# package, "Program Files/Vardel" for the x86 one. It is the folder of the
# server.
file(GLOB_RECURSE servidor ${extraidos}/Vardel.dll)
list(LENGTH servidor servidores)
if(NOT servidores EQUAL 1)
  message(FATAL_ERROR "the bill of materials: ${servidores} Vardel.dll in the package")
endif()
get_filename_component(instalados ${servidor} DIRECTORY)
get_filename_component(nombre_msi ${SALIDA} NAME)
string(REGEX REPLACE "\\.msi$" ".spdx.json" inventario ${SALIDA})
file(STRINGS ${ARGUMENTOS_INVENTARIO} argumentos)
# Dated the build's date, whatever this run's environment says.
set(ENV{SOURCE_DATE_EPOCH} ${FECHA})
execute_process(
  COMMAND ${PYTHON} ${INVENTARIO} --nombre ${NOMBRE} --version ${VERSION} --raiz
          ${instalados} --archivo-paquete ${temporal} --nombre-archivo ${nombre_msi}
          --salida ${inventario} ${argumentos}
  RESULT_VARIABLE resultado ERROR_VARIABLE errores)
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "the bill of materials failed:\n${errores}")
endif()
file(REMOVE_RECURSE ${extraidos} ${datos})
file(RENAME ${temporal} ${SALIDA})
