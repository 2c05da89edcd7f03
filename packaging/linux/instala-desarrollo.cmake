# Install step of the Desarrollo component: the linker's link in <libdir>,
# and vardel.pc. Both join install_manifest.txt.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(enlace "${raiz}/${VARDEL_LIBDIR}/libvardel.so")
# A package of this component alone has no <libdir> yet.
file(MAKE_DIRECTORY "${raiz}/${VARDEL_LIBDIR}")
file(CREATE_LINK vardel/${VARDEL_SONAME} "${enlace}" SYMBOLIC)

# The folders as absolute, normalized paths of the final prefix (not the
# staging folder of DESTDIR): "--prefix x/", a relative prefix or an
# absolute libdir give the same clean paths.
get_filename_component(VARDEL_PREFIJO "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
cmake_path(NORMAL_PATH VARDEL_PREFIJO)
string(REGEX REPLACE "(.)/+$" "\\1" VARDEL_PREFIJO "${VARDEL_PREFIJO}")
foreach(carpeta LIBDIR INCLUDEDIR)
  cmake_path(ABSOLUTE_PATH VARDEL_${carpeta} BASE_DIRECTORY "${VARDEL_PREFIJO}" NORMALIZE
             OUTPUT_VARIABLE VARDEL_PC_${carpeta})
  string(REGEX REPLACE "(.)/+$" "\\1" VARDEL_PC_${carpeta} "${VARDEL_PC_${carpeta}}")
endforeach()

# The loader looks in /usr/lib by itself; from any other prefix a host
# linked through pkg-config carries a run path to <libdir>, so it runs at
# once, with neither ldconfig nor LD_LIBRARY_PATH.
if(VARDEL_PC_LIBDIR STREQUAL "/usr/lib")
  set(VARDEL_PC_RUTA_EJECUCION "")
else()
  set(VARDEL_PC_RUTA_EJECUCION " -Wl,-rpath,\${libdir}")
endif()
set(pc "${raiz}/${VARDEL_LIBDIR}/pkgconfig/vardel.pc")
configure_file("${VARDEL_PLANTILLA_PC}" "${pc}" @ONLY)
message(STATUS "Installing: ${pc}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${enlace}" "${pc}")
