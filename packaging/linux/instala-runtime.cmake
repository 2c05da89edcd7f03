# Install step of the Runtime component: the loader's link in <libdir> and
# the default Config.ini in <prefix>/share/vardel/. Both join
# install_manifest.txt.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(enlace "${raiz}/${VARDEL_LIBDIR}/${VARDEL_SONAME}")
file(CREATE_LINK vardel/${VARDEL_SONAME} "${enlace}" SYMBOLIC)

include("${CMAKE_CURRENT_LIST_DIR}/carpetas-datos.cmake")
set(predeterminada "${raiz}/share/vardel/Config.ini")
configure_file("${VARDEL_PLANTILLA_CONFIG}" "${predeterminada}" @ONLY NEWLINE_STYLE CRLF)
message(STATUS "Installing: ${predeterminada}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${enlace}" "${predeterminada}")
