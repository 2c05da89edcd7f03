# Debian packages: "vardel" (Runtime and Desarrollo) and "vardel-simulador"
# (the reader simulator with its sample tray). In a package the settings
# live in /etc/vardel/Config.ini, made by the maintainer script from the
# default only when absent; the component's folder holds a link to it.
# Upgrades never touch it; a purge removes it and the logs, never an image.
#
# They are built by cpack in the tree of preset "deb", whose library logs in
# /var/log/vardel when Config.ini names no log folder (VARDEL_CARPETA_LOG):
# the component's folder is under /usr. Another tree builds them as well,
# for their contents, but their library would log beside the component.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vardel)
set(CPACK_PACKAGE_VENDOR "Vardel")
set(CPACK_PACKAGE_CONTACT "Vardel <vardel@localhost>")
# No package-wide summary: CPack would put it first in both packages'
# descriptions, whose own first lines are their summaries.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/paquetes)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Desarrollo Simulador)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENT_RUNTIME_GROUP vardel)
set(CPACK_COMPONENT_DESARROLLO_GROUP vardel)
set(CPACK_COMPONENT_SIMULADOR_GROUP simulador)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_VARDEL_PACKAGE_NAME vardel)
set(CPACK_DEBIAN_VARDEL_DESCRIPTION
    "cheque reader component: library, vardel command and headers\nDrives a desktop cheque reader through its device library: feeds the\ncheques in the tray, parses each code line, stores the images and tells\nthe host through events. Settings in /etc/vardel/Config.ini; the command's\nmanual in /usr/share/doc/vardel/cli.md and man vardel.")
set(CPACK_DEBIAN_SIMULADOR_PACKAGE_NAME vardel-simulador)
set(CPACK_DEBIAN_SIMULADOR_PACKAGE_DEPENDS "vardel (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_SIMULADOR_DESCRIPTION
    "reader simulator and sample tray for vardel\nA stand-in for the reader's device library, installed beside the\ncomponent, with a tray of ten sample cheques. Not for a counter with a\nreal reader: it takes the reader library's place.")

set(VARDEL_DIR_COMPONENTE_DEB /usr/${CMAKE_INSTALL_LIBDIR}/vardel)
foreach(guion postinst postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/${guion}.in ${CMAKE_CURRENT_BINARY_DIR}/deb/${guion}
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                 GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_VARDEL_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/deb/postinst
                                              ${CMAKE_CURRENT_BINARY_DIR}/deb/postrm)
set(CPACK_DEBIAN_VARDEL_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
