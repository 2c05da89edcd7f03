#!/usr/bin/env bash
# An installed copy as a host developer gets it: `cmake --install` into a
# staging prefix, the example host built against it through
# find_package(Vardel) and run against the installed simulator, the command
# run from the prefix, pkg-config's answer, and an operator's Config.ini
# kept by a second install.
#   prueba-instalacion.sh BUILD_DIR EXAMPLE_SOURCE_DIR VERSION
set -euo pipefail
build=$1 ejemplo=$2 version=$3
prefijo=$build/prueba-instalacion/prefijo
rm -rf "$build/prueba-instalacion"
falla() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefijo" >/dev/null
componente=$prefijo/lib/vardel
for f in bin/vardel lib/libvardel.so.1 lib/libvardel.so lib/vardel/libvardel.so.1 \
         lib/vardel/Config.ini lib/vardel/libmtxmlmcr.so lib/vardel/mtxmlmcr.scenario \
         include/vardel/comunica.h lib/cmake/Vardel/VardelConfig.cmake lib/pkgconfig/vardel.pc \
         share/vardel/Config.ini var/lib/vardel/imagenes; do
  [ -e "$prefijo/$f" ] || falla "not installed: $f"
done
# Nothing but the public headers.
[ "$(ls "$prefijo/include/vardel" | grep -cv '\.h$')" = 0 ] || falla "non-header in include/vardel"

# The host, built against the installed package only.
cmake -S "$ejemplo" -B "$build/prueba-instalacion/ejemplo" -G Ninja \
      -DCMAKE_PREFIX_PATH="$prefijo" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/prueba-instalacion/ejemplo" >/dev/null
salida=$("$build/prueba-instalacion/ejemplo/lector-cheques" 1 </dev/null)
echo "$salida" | grep -q "^configuración: $componente/Config.ini$" || falla "Config.ini not in $componente"
resumen=$(echo "$salida" | grep 'documentos, .* imágenes$') || falla "no summary: $salida"
[ "$resumen" = "9 documentos, 26 imágenes" ] || falla "unexpected read: $resumen"
n=$(ls "$prefijo/var/lib/vardel/imagenes" | wc -l)
[ "$n" = 26 ] || falla "$n image files, 26 reported"

# The command finds its library from the prefix, wherever that is.
"$prefijo/bin/vardel" status >/dev/null || falla "vardel status from the prefix"

# pkg-config describes the copy where it lies.
export PKG_CONFIG_PATH=$prefijo/lib/pkgconfig
[ "$(pkg-config --modversion vardel)" = "$version" ] || falla "pkg-config version"
incluye=$(pkg-config --variable=includedir vardel)
[ -f "$incluye/vardel/comunica.h" ] || falla "pkg-config includedir $incluye"
[ -e "$(pkg-config --variable=libdir vardel)/libvardel.so" ] || falla "pkg-config libdir"

# A second install keeps the operator's settings.
echo "MarcaOperador=1" >>"$componente/Config.ini"
cmake --install "$build" --prefix "$prefijo" >/dev/null
grep -q MarcaOperador "$componente/Config.ini" || falla "a reinstall replaced Config.ini"
echo "installed copy, example host and pkg-config: ok"
