# Install step of the Desarrollo component: the linker's link in <libdir>,
# and vardel.pc. Both join install_manifest.txt.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(enlace "${raiz}/${VARDEL_LIBDIR}/libvardel.so")
file(CREATE_LINK vardel/${VARDEL_SONAME} "${enlace}" SYMBOLIC)

# The loader looks in /usr/lib by itself; from any other prefix a host
# linked through pkg-config carries a run path to <libdir>, so it runs at
# once, with neither ldconfig nor LD_LIBRARY_PATH.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(VARDEL_PC_RUTA_EJECUCION "")
else()
  set(VARDEL_PC_RUTA_EJECUCION " -Wl,-rpath,\${libdir}")
endif()
set(CMAKE_INSTALL_LIBDIR "${VARDEL_LIBDIR}")
set(pc "${raiz}/${VARDEL_LIBDIR}/pkgconfig/vardel.pc")
configure_file("${VARDEL_PLANTILLA_PC}" "${pc}" @ONLY)
message(STATUS "Installing: ${pc}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${enlace}" "${pc}")
