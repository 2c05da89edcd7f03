# Install step of the Runtime component: the systemd user unit of the web
# bridge, <prefix>/lib/systemd/user/vardel-puente.service (a folder systemd
# searches for /usr and /usr/local alike), naming the installed command.
# Written at install time, when the prefix is known; joins
# install_manifest.txt.
set(raiz "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(VARDEL_ORDEN "${CMAKE_INSTALL_PREFIX}/${VARDEL_BINDIR}/vardel")
set(VARDEL_DOCS "${CMAKE_INSTALL_PREFIX}/${VARDEL_DIR_DOCS}")
set(unidad "${raiz}/lib/systemd/user/vardel-puente.service")
configure_file("${VARDEL_PLANTILLA_UNIDAD}" "${unidad}" @ONLY)
message(STATUS "Installing: ${unidad}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${unidad}")
