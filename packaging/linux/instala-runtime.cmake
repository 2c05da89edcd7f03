# Install step of the Runtime component: the loader's link in <libdir> and
# the default Config.ini in <prefix>/share/vardel/.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(CREATE_LINK vardel/${VARDEL_SONAME} "${raiz}/${VARDEL_LIBDIR}/${VARDEL_SONAME}" SYMBOLIC)

# Images and the log go under the prefix's variable-data folder: /var for a
# system install in /usr, <prefix>/var otherwise.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(variable "/var")
else()
  set(variable "${CMAKE_INSTALL_PREFIX}/var")
endif()
set(VARDEL_DIRECTORIO_IMAGENES "${variable}/lib/vardel/imagenes")
set(VARDEL_DIRECTORIO_LOG "${variable}/log/vardel")
configure_file("${VARDEL_PLANTILLA_CONFIG}" "${raiz}/share/vardel/Config.ini" @ONLY
               NEWLINE_STYLE CRLF)
message(STATUS "Installing: ${raiz}/share/vardel/Config.ini")
