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
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(variable "$ENV{DESTDIR}/var")
else()
  set(variable "${raiz}/var")
endif()
file(MAKE_DIRECTORY "${variable}/lib/vardel/imagenes" "${variable}/log/vardel")
