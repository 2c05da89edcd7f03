# Install step of the Desarrollo component: the linker's link in <libdir>.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(CREATE_LINK vardel/${VARDEL_SONAME} "${raiz}/${VARDEL_LIBDIR}/libvardel.so" SYMBOLIC)
