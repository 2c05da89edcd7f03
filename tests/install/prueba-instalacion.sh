#!/usr/bin/env bash
# An installed copy as a host developer gets it: `cmake --install` into a
# staging prefix, the example host built against it through
# find_package(Vardel) and a small host through pkg-config, both with the
# compiler's default C++ standard and run from the prefix as they are,
# images sent to a folder typed in UTF-8, the command run from the prefix
# and pointing at its manual, an operator's Config.ini kept by a second
# install, and install_manifest.txt removing everything else.
#   prueba-instalacion.sh BUILD_DIR EXAMPLE_SOURCE_DIR VERSION
set -euo pipefail
build=$1 ejemplo=$2 version=$3
prefijo=$build/prueba-instalacion/prefijo
rm -rf "$build/prueba-instalacion"
falla() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefijo" >/dev/null
componente=$prefijo/lib/vardel mayor=${version%%.*}
for f in bin/vardel lib/libvardel.so.$mayor lib/libvardel.so lib/vardel/libvardel.so.$version \
         lib/vardel/Config.ini lib/vardel/libmtxmlmcr.so lib/vardel/mtxmlmcr.scenario \
         include/vardel/comunica.h include/vardel/version.h lib/cmake/Vardel/VardelConfig.cmake \
         lib/pkgconfig/vardel.pc share/vardel/Config.ini var/lib/vardel/imagenes \
         lib/systemd/user/vardel-puente.service \
         share/doc/vardel/cli.md share/man/man1/vardel.1.gz share/doc/libvardel-dev/linux-host-guide.md \
         share/doc/libvardel1/copyright; do
  [ -e "$prefijo/$f" ] || falla "not installed: $f"
done
# Nothing but the public headers.
[ "$(ls "$prefijo/include/vardel" | grep -cv '\.h$')" = 0 ] || falla "non-header in include/vardel"
readelf -d "$componente/libvardel.so.$version" | grep -q "SONAME.*\[libvardel\.so\.$mayor\]" ||
  falla "SONAME is not libvardel.so.$mayor"
zcat "$prefijo/share/man/man1/vardel.1.gz" | grep -q '^\.SH VÉASE TAMBIÉN$' || falla "manual page"
# The Debian changelog and lintian's overrides are for packages only.
[ -z "$(find "$prefijo/share" -name changelog.Debian.gz -o -name lintian)" ] ||
  falla "Debian's files in a copy under $prefijo"
"$prefijo/bin/vardel" --help | grep -q 'share/doc/vardel/cli\.md' || falla "--help names no manual"

# Images go to a folder typed in a UTF-8 editor.
imagenes=$prefijo/var/lib/vardel/imágenes
mkdir "$imagenes"
sed -i "s|^DirectorioImg=.*|DirectorioImg=$imagenes|" "$componente/Config.ini"

# The hosts, built against the installed package only, with the compiler's
# default C++ standard: the package brings the one its headers need.
cmake -S "$ejemplo" -B "$build/prueba-instalacion/ejemplo" -G Ninja \
      -DCMAKE_PREFIX_PATH="$prefijo" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/prueba-instalacion/ejemplo" >/dev/null
salida=$("$build/prueba-instalacion/ejemplo/lector-cheques" 1 </dev/null)
echo "$salida" | grep -q "^configuración: $componente/Config.ini$" || falla "Config.ini not in $componente"
resumen=$(echo "$salida" | grep 'documentos, .* imágenes$') || falla "no summary: $salida"
[ "$resumen" = "9 documentos, 26 imágenes" ] || falla "unexpected read: $resumen"
n=$(ls "$imagenes" | wc -l)
[ "$n" = 26 ] || falla "$n image files in $imagenes, 26 reported"

# The command finds its library from the prefix, wherever that is.
"$prefijo/bin/vardel" status >/dev/null || falla "vardel status from the prefix"

# pkg-config describes the copy where it lies; its host runs at once.
export PKG_CONFIG_PATH=$prefijo/lib/pkgconfig
[ "$(pkg-config --modversion vardel)" = "$version" ] || falla "pkg-config version"
anfitrion=$build/prueba-instalacion/anfitrion
cat >"$anfitrion.cpp" <<'FIN'
#include <vardel/comunica.h>
#include <vardel/version.h>
#include <cstdio>
int main() {
  std::printf("%d.%d.%d %s\n", VARDEL_VERSION_MAJOR, VARDEL_VERSION_MINOR, VARDEL_VERSION_PATCH,
              vardel::VersionBiblioteca());
}
FIN
# shellcheck disable=SC2046
g++ "$anfitrion.cpp" -o "$anfitrion" $(pkg-config --cflags --libs vardel) || falla "pkg-config host"
[ "$("$anfitrion")" = "$version $version" ] || falla "pkg-config host: $("$anfitrion" 2>&1)"

# A second install keeps the operator's settings.
echo "MarcaOperador=1" >>"$componente/Config.ini"
cmake --install "$build" --prefix "$prefijo" >/dev/null
grep -q MarcaOperador "$componente/Config.ini" || falla "a reinstall replaced Config.ini"

# The manifest lists every file and link installed; removing them leaves
# the operator's settings only (and the folders, with images and log).
xargs -d '\n' rm -f <"$build/install_manifest.txt"
quedan=$(find "$prefijo" -path "$prefijo/var" -prune -o ! -type d -print)
[ "$quedan" = "$componente/Config.ini" ] || falla "left by the manifest: $quedan"
echo "installed copy, hosts through CMake and pkg-config, manifest: ok"
