# Where an installed copy keeps images and its log: under the prefix's
# variable-data folder, /var for a system install in /usr, <prefix>/var
# otherwise. Included by the install steps that need it.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(VARDEL_DATOS_VARIABLES "/var")
else()
  set(VARDEL_DATOS_VARIABLES "${CMAKE_INSTALL_PREFIX}/var")
endif()
set(VARDEL_DIRECTORIO_IMAGENES "${VARDEL_DATOS_VARIABLES}/lib/vardel/imagenes")
set(VARDEL_DIRECTORIO_LOG "${VARDEL_DATOS_VARIABLES}/log/vardel")
