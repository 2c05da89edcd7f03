# The Debian packages, split as Debian ships a library:
#   libvardel1        the library (SONAME libvardel.so.1) and its default
#                     settings, in the component's folder
#   libvardel-dev     headers, CMake package, vardel.pc, the host guide and
#                     the example host
#   vardel            the command, its manual, the web bridge's user unit
#                     and documents
#   vardel-simulador  the reader simulator and its sample tray
# One install component each (CMakeLists.txt). The command and the
# development files depend on the library of exactly their version, since
# both come from one build; up to 1.1.0 a single package "vardel" held
# everything, so the library and the development files take its files
# over (Breaks and Replaces), and an upgrade from it installs the split.
#
# In a package the settings live in /etc/vardel/Config.ini, made by the
# maintainer script from the default only when absent; the component's
# folder holds a link to it. Upgrades never touch it; a purge removes it and
# the logs, never an image.
#
# They are built by cpack in the tree of preset "deb", whose library logs in
# /var/log/vardel when Config.ini names no log folder (VARDEL_CARPETA_LOG):
# the component's folder is under /usr. Another tree builds them as well,
# for their contents, but their library would log beside the component.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vardel)
set(CPACK_PACKAGE_VENDOR "Vardel")
# The maintainer in every package and its changelog. A site that builds
# its own packages names the address that answers for them.
set(VARDEL_MANTENEDOR "The Vardel developers <vardel@example.org>"
    CACHE STRING "Maintainer of the Debian packages: name <address>")
set(CPACK_PACKAGE_CONTACT "${VARDEL_MANTENEDOR}")
# No package-wide summary: CPack would put it first in every package's
# description, whose own first line is its summary.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# A Debian revision: these are packages of the project's release, with a
# Debian changelog of their own (changelog.Debian.gz).
set(VARDEL_REVISION_DEB 1)
set(VARDEL_VERSION_DEB ${PROJECT_VERSION}-${VARDEL_REVISION_DEB})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VARDEL_REVISION_DEB})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/paquetes)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Orden Desarrollo Simulador)
set(CPACK_COMPONENTS_GROUPING IGNORE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The command's libvardel.so.1 is in another package of this build: the
# dependency on it is written below, so dpkg-shlibdeps only has to find it
# (in the build tree) and leaves it out.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvardel1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_BREAKS "vardel (<< ${VARDEL_VERSION_DEB})")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_REPLACES "vardel (<< ${VARDEL_VERSION_DEB})")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "cheque reader component: shared library\nDrives a desktop cheque reader through its device library: feeds the\ncheques in the tray, parses each code line, stores the images and tells\nthe host through events. Settings in /etc/vardel/Config.ini; members of\nthe system group vardel may run hosts.")

set(CPACK_DEBIAN_DESARROLLO_PACKAGE_NAME libvardel-dev)
set(CPACK_DEBIAN_DESARROLLO_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DESARROLLO_PACKAGE_DEPENDS "libvardel1 (= ${VARDEL_VERSION_DEB})")
set(CPACK_DEBIAN_DESARROLLO_PACKAGE_BREAKS "vardel (<< ${VARDEL_VERSION_DEB})")
set(CPACK_DEBIAN_DESARROLLO_PACKAGE_REPLACES "vardel (<< ${VARDEL_VERSION_DEB})")
set(CPACK_DEBIAN_DESARROLLO_DESCRIPTION
    "cheque reader component: development files\nThe C++20 headers of libvardel, its CMake package (find_package(Vardel))\nand pkg-config file (vardel.pc), the host guide, the code line's fields\nand an example host.")

set(CPACK_DEBIAN_ORDEN_PACKAGE_NAME vardel)
set(CPACK_DEBIAN_ORDEN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_ORDEN_PACKAGE_DEPENDS "libvardel1 (= ${VARDEL_VERSION_DEB})")
set(CPACK_DEBIAN_ORDEN_DESCRIPTION
    "cheque reader command and web bridge\nThe vardel command reads the cheques in the reader's tray, says whether\na reader answers, watches it and shows its settings; vardel serve is the\nweb bridge through which browser pages read cheques, with a systemd user\nunit (vardel-puente). Manual: man vardel and /usr/share/doc/vardel/.")

set(CPACK_DEBIAN_SIMULADOR_PACKAGE_NAME vardel-simulador)
set(CPACK_DEBIAN_SIMULADOR_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_SIMULADOR_PACKAGE_DEPENDS "libvardel1 (= ${VARDEL_VERSION_DEB})")
set(CPACK_DEBIAN_SIMULADOR_DESCRIPTION
    "reader simulator and sample tray for vardel\nA stand-in for the reader's device library, installed beside the\ncomponent, with a tray of ten sample cheques. Not for a counter with a\nreal reader: it takes the reader library's place.")

# Config.ini, the group and the data folders are handled by the package
# that owns the component's folder, libvardel1: the library reads the
# settings through the link in that folder, whichever host loads it (the
# command, a teller application built with libvardel-dev), so they must be
# in place wherever the library is, and go only with it.
set(VARDEL_DIR_COMPONENTE_DEB /usr/${CMAKE_INSTALL_LIBDIR}/vardel)
foreach(guion postinst postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/${guion}.in ${CMAKE_CURRENT_BINARY_DIR}/deb/${guion}
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                 GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
# shlibs, so that a package built against the library depends on this
# version or a later one of the same SONAME. No ldconfig: the loader's link
# is in /usr/lib, which it searches without its cache.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/deb/shlibs
     "libvardel ${PROJECT_VERSION_MAJOR} libvardel${PROJECT_VERSION_MAJOR} (>= ${PROJECT_VERSION})\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_BINARY_DIR}/deb/postinst ${CMAKE_CURRENT_BINARY_DIR}/deb/postrm
    ${CMAKE_CURRENT_BINARY_DIR}/deb/shlibs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Every package's copyright (machine-readable) and Debian changelog, from
# one template each. The changelog's date is the build's, or
# SOURCE_DATE_EPOCH's for a reproducible build.
string(TIMESTAMP VARDEL_FECHA_DEB "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/deb/copyright
               @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/changelog.Debian.in
               ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nc changelog.Debian WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/deb
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
# The copyright goes with every install; the changelog and lintian's
# overrides only into a package's tree (a DESTDIR install to /usr, as cpack
# makes), not into a copy under /usr/local or /opt.
foreach(componente_paquete Runtime:libvardel1 Orden:vardel Desarrollo:libvardel-dev
                           Simulador:vardel-simulador)
  string(REPLACE ":" ";" par ${componente_paquete})
  list(GET par 0 componente)
  list(GET par 1 paquete)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/deb/copyright
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${paquete} COMPONENT ${componente})
  set(excepciones ${CMAKE_CURRENT_LIST_DIR}/deb/lintian/${paquete})
  install(CODE "if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\" AND CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/doc/${paquete}\"
       TYPE FILE PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
       FILES \"${CMAKE_CURRENT_BINARY_DIR}/deb/changelog.Debian.gz\")
  if(EXISTS \"${excepciones}\")
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides\"
         TYPE FILE PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
         FILES \"${excepciones}\")
  endif()
endif()" COMPONENT ${componente})
endforeach()

# Each package's software bill of materials (SPDX 2.3, JSON) in its
# /usr/share/doc/<package>/, made by inventario-deb.cmake from the staged
# files when cpack runs: the package, its files with their checksums and
# licences, and the libraries compiled in, with their Debian versions on
# the build machine. Only the command has any: the library, the simulator
# and the development files are the project's own code.
find_program(VARDEL_PYTHON python3 REQUIRED)
set(CPACK_VARDEL_PYTHON ${VARDEL_PYTHON})
set(CPACK_VARDEL_INVENTARIO ${PROJECT_SOURCE_DIR}/packaging/inventario_spdx.py)
set(CPACK_VARDEL_COPYRIGHT ${CMAKE_CURRENT_BINARY_DIR}/deb/copyright)
set(CPACK_VARDEL_VERSION_DEB ${VARDEL_VERSION_DEB})
set(CPACK_VARDEL_BIBLIOTECAS "")
foreach(biblioteca IN LISTS VARDEL_BIBLIOTECAS_ORDEN)
  list(APPEND CPACK_VARDEL_BIBLIOTECAS --biblioteca "${biblioteca}")
endforeach()
set(CPACK_VARDEL_ENLACES_ORDEN "${CMAKE_INSTALL_BINDIR}/vardel=cli11,json,boost")
list(TRANSFORM CPACK_VARDEL_ENLACES_ORDEN PREPEND usr/)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/inventario-deb.cmake)
# Reproducible packages: the staged files' modes and the build's date
# (inventario-deb.cmake), the archive members' modes (normaliza-deb.cmake).
set(CPACK_VARDEL_FECHA ${VARDEL_FECHA_FUENTE})
set(CPACK_VARDEL_NORMALIZA ${CMAKE_CURRENT_LIST_DIR}/normaliza_deb.py)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normaliza-deb.cmake)

include(CPack)
