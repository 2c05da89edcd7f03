# Install step of the Configuracion component: the default settings go into
# the component's folder only when it has no Config.ini (an operator's file,
# or a link to one, is never replaced), and the folders they name are made.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(config "${raiz}/${VARDEL_LIBDIR}/vardel/Config.ini")
if(EXISTS "${config}" OR IS_SYMLINK "${config}")
  message(STATUS "Kept: ${config}")
else()
  file(COPY_FILE "${raiz}/share/vardel/Config.ini" "${config}")
  message(STATUS "Installing: ${config}")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/carpetas-datos.cmake")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${VARDEL_DIRECTORIO_IMAGENES}" "$ENV{DESTDIR}${VARDEL_DIRECTORIO_LOG}")
