#!/usr/bin/env bash
# An installed copy as a host developer gets it: `cmake --install` into a
# staging prefix, the example host built against it through
# find_package(Vardel) as C++17 and as C++20, and a host of every public
# header through pkg-config with g++ and clang++ as both, all run from the
# prefix as they are, images sent to a folder typed in UTF-8, the command
# run from the prefix and pointing at its manual, an operator's Config.ini
# kept by a second install, and install_manifest.txt removing everything
# else.
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

# The example host, built against the installed package only, once as
# C++17 and once as C++20 with every warning an error: the headers ask for
# no newer standard than the host's. Each reads the sample tray through
# OyenteCheques into an empty folder: nine documents, two to feed again
# (the unreadable line, and the cheque whose back image was not fetched).
for estandar in 17 20; do
  ejemplo_b=$build/prueba-instalacion/ejemplo-$estandar
  cmake -S "$ejemplo" -B "$ejemplo_b" -G Ninja -DCMAKE_PREFIX_PATH="$prefijo" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_STANDARD=$estandar -DCMAKE_CXX_EXTENSIONS=OFF \
        -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror -pedantic" >/dev/null
  cmake --build "$ejemplo_b" >/dev/null || falla "the example as C++$estandar"
  grep -q -- "-std=c++$estandar" "$ejemplo_b/build.ninja" || falla "the example not built as C++$estandar"
  rm -f "$imagenes"/*
  salida=$("$ejemplo_b/lector-cheques" 1 </dev/null) || falla "C++$estandar host: $salida"
  echo "$salida" | grep -q "^configuración: $componente/Config.ini$" || falla "Config.ini not in $componente"
  resumen=$(echo "$salida" | grep 'documentos, .* imágenes$') || falla "no summary: $salida"
  [ "$resumen" = "9 documentos, 26 imágenes" ] || falla "C++$estandar host, unexpected read: $resumen"
  # Images only: the component keeps small files of its own there too
  # (the day's sweep marker, docs/operator.md).
  n=$(find "$imagenes" -maxdepth 1 \( -name '*.tif' -o -name '*.jpg' \) | wc -l)
  [ "$n" = 26 ] || falla "$n image files in $imagenes, 26 reported"
  vuelven=$(echo "$salida" | sed -n '/^vuelva a pasar/,$p' | grep '^  documento')
  [ "$vuelven" = "  documento 7: línea no legible (Error: 99 - No se ha recogido ningún dato del documento. Vuelva a pasar el talón.)
  documento 8: entidad 0081, cheque 9012345, importe 75.00" ] ||
    falla "C++$estandar host, cheques to feed again: $vuelven"
done

# The command finds its library from the prefix, wherever that is.
"$prefijo/bin/vardel" status >/dev/null || falla "vardel status from the prefix"

# pkg-config describes the copy where it lies; its host runs at once.
export PKG_CONFIG_PATH=$prefijo/lib/pkgconfig
[ "$(pkg-config --modversion vardel)" = "$version" ] || falla "pkg-config version"
anfitrion=$build/prueba-instalacion/anfitrion
{
  for h in "$prefijo"/include/vardel/*.h; do echo "#include <vardel/${h##*/}>"; done
  cat <<'FIN'
#include <cstdio>
int main() {
  std::printf("%d.%d.%d %s\n", VARDEL_VERSION_MAJOR, VARDEL_VERSION_MINOR, VARDEL_VERSION_PATCH,
              vardel::VersionBiblioteca());
}
FIN
} >"$anfitrion.cpp"
# Every public header, through pkg-config, with g++ and clang++ as C++17
# and C++20: vardel.pc forces no standard on the host.
[[ "$(pkg-config --cflags vardel)" != *-std=* ]] || falla "vardel.pc forces a standard"
for compilador in g++ clang++; do
  command -v "$compilador" >/dev/null || continue
  for estandar in 17 20; do
    # shellcheck disable=SC2046
    "$compilador" -std=c++$estandar -Wall -Wextra -Werror -pedantic "$anfitrion.cpp" -o "$anfitrion" \
      $(pkg-config --cflags --libs vardel) || falla "pkg-config host, $compilador C++$estandar"
    [ "$("$anfitrion")" = "$version $version" ] || falla "pkg-config host: $("$anfitrion" 2>&1)"
  done
done

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
