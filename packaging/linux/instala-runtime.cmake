# Install step of the Runtime component: the loader's link in <libdir> and
# the default Config.ini in <prefix>/share/vardel/.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(CREATE_LINK vardel/${VARDEL_SONAME} "${raiz}/${VARDEL_LIBDIR}/${VARDEL_SONAME}" SYMBOLIC)

include("${CMAKE_CURRENT_LIST_DIR}/carpetas-datos.cmake")
configure_file("${VARDEL_PLANTILLA_CONFIG}" "${raiz}/share/vardel/Config.ini" @ONLY
               NEWLINE_STYLE CRLF)
message(STATUS "Installing: ${raiz}/share/vardel/Config.ini")
