# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) once every package's files are in
# its staging folder and before the .deb files are made: writes each
# package's software bill of materials, /usr/share/doc/<package>/<package>.spdx.json,
# from the files as they will ship (stripped, with their final rights).
# What it needs comes from paquete-deb.cmake through CPACK_VARDEL_* variables.
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
