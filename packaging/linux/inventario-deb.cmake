# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) once every package's files are in
# its staging folder and before the .deb files are made: writes each
# package's software bill of materials, /usr/share/doc/<package>/<package>.spdx.json,
# from the files as they will ship (stripped, with their final rights).
# What it needs comes from paquete-deb.cmake through CPACK_VARDEL_* variables.
#
# First it makes the staged files independent of the machine and the
# umask of the build (docs/decisions.md, "Deployment"): every folder gets
# 0755, every file 0755 when anyone may run it and 0644 otherwise, as
# Debian's packaging tools set them; and the build's date
# (SOURCE_DATE_EPOCH of the configure run) is put in the environment, where
# the bills of materials and cpack's own archives take it from (cpack dates
# every file of the .deb SOURCE_DATE_EPOCH when it is set).
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_VARDEL_FECHA})
file(GLOB_RECURSE staged LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(ruta IN LISTS staged)
  if(IS_SYMLINK ${ruta})
    continue()
  elseif(IS_DIRECTORY ${ruta})
    file(CHMOD ${ruta} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                   WORLD_READ WORLD_EXECUTE)
  else()
    execute_process(COMMAND test -x ${ruta} RESULT_VARIABLE no_ejecutable)
    if(no_ejecutable)
      file(CHMOD ${ruta} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    else()
      file(CHMOD ${ruta} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
  endif()
endforeach()

foreach(componente IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${componente} nombre_variable)
  set(paquete ${CPACK_DEBIAN_${nombre_variable}_PACKAGE_NAME})
  # cpack installs each component under <temporary folder>/<component>, with
  # the prefix inside it (CPACK_SET_DESTDIR).
  set(raiz ${CPACK_TEMPORARY_DIRECTORY}/${componente})
  if(NOT IS_DIRECTORY ${raiz}${CPACK_PACKAGING_INSTALL_PREFIX})
    message(FATAL_ERROR "no staging folder for ${componente}: ${raiz}")
  endif()
  set(salida ${raiz}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${paquete}/${paquete}.spdx.json)
  set(enlaces "")
  foreach(enlace IN LISTS CPACK_VARDEL_ENLACES_${nombre_variable})
    list(APPEND enlaces --enlace ${enlace})
  endforeach()
  execute_process(
    COMMAND ${CPACK_VARDEL_PYTHON} ${CPACK_VARDEL_INVENTARIO} --nombre ${paquete} --version
            ${CPACK_VARDEL_VERSION_DEB} --raiz ${raiz} --salida ${salida} --copyright
            ${CPACK_VARDEL_COPYRIGHT} ${CPACK_VARDEL_BIBLIOTECAS} ${enlaces}
    COMMAND_ERROR_IS_FATAL ANY)
  file(CHMOD ${salida} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
