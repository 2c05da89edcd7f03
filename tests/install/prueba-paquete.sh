#!/usr/bin/env bash
# The Debian packages: built by CPack from the tree, and, where this runs as
# root on a machine without vardel installed and the tree is the packages'
# own (preset deb, whose library logs in /var/log/vardel), installed with
# dpkg -i, used, reinstalled over an operator's edit, removed and purged.
#   prueba-paquete.sh BUILD_DIR
set -euo pipefail
build=$1
falla() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$build/paquetes"
(cd "$build" && cpack) >"$build/paquetes.log" 2>&1 || { cat "$build/paquetes.log"; falla cpack; }
vardel=$(ls "$build"/paquetes/vardel_*.deb) simulador=$(ls "$build"/paquetes/vardel-simulador_*.deb)
contenido=$(dpkg-deb -c "$vardel")
for f in ./usr/bin/vardel ./usr/lib/libvardel.so.1 ./usr/lib/vardel/libvardel.so.1 \
         ./usr/share/vardel/Config.ini ./usr/include/vardel/comunica.h ./usr/lib/pkgconfig/vardel.pc \
         ./usr/include/vardel/version.h ./usr/lib/cmake/Vardel/VardelConfig.cmake \
         ./usr/share/doc/vardel/cli.md ./usr/share/man/man1/vardel.1.gz \
         ./usr/lib/systemd/user/vardel-puente.service ./usr/share/doc/vardel/web-bridge.md \
         ./usr/share/doc/vardel/web-bridge-it.md \
         ./usr/share/doc/vardel/ejemplos/cajero-web/index.html ./usr/share/doc/vardel/clients/web/vardel.js \
         ./usr/share/doc/vardel/clients/web/index.d.ts; do
  grep -q " $f\( \|$\)" <<<"$contenido" || falla "$f not in $(basename "$vardel")"
done
# The settings are the maintainer script's, never a file of the package.
! grep -q ' ./usr/lib/vardel/Config.ini' <<<"$contenido" || falla "the package ships the component's Config.ini"
grep -q ' ./usr/lib/vardel/libmtxmlmcr.so$' <<<"$(dpkg-deb -c "$simulador")" || falla "no simulator"
# The manual page is Spanish, has the sections a manual has, and names
# every command, every option each command's --help lists and every exit
# code of vardel --help.
manual=$(dpkg-deb --fsys-tarfile "$vardel" | tar -xO ./usr/share/man/man1/vardel.1.gz | zcat |
         sed 's/\\-/-/g; s/\\f[BIRP]//g; s/\\&//g')
for seccion in NOMBRE SINOPSIS DESCRIPCIÓN ÓRDENES OPCIONES "ESTADO DE SALIDA" ARCHIVOS ENTORNO \
               "VÉASE TAMBIÉN"; do
  grep -qx "\.SH \"\?$seccion\"\?" <<<"$manual" || falla "manual page: no section $seccion"
done
! grep -qiE '^\.S[HS] "?(NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|FILES|ENVIRONMENT|SEE ALSO)' \
  <<<"$manual" || falla "manual page: an English heading"
orden=$build/bin/vardel
ayuda=$("$orden" --help)
ordenes=$(sed -n '/^Órdenes:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$ayuda")
[ -n "$ordenes" ] || falla "no commands in vardel --help"
for o in $ordenes; do
  grep -qE "^vardel (\[--json\] )?$o( |$)" <<<"$manual" || falla "manual page: no synopsis of $o"
  ayuda+=$'\n'$("$orden" "$o" --help)
done
for opcion in $(grep -oE '(^|[ ,])--?[a-zA-Z][a-zA-Z0-9-]*' <<<"$ayuda" | tr -d ' ,' | sort -u); do
  grep -qE -- "(^|[^a-zA-Z0-9-])$opcion([^a-zA-Z0-9-]|$)" <<<"$manual" ||
    falla "manual page: no option $opcion"
done
salida=$(sed -n '/^\.SH "\?ESTADO DE SALIDA/,/^\.SH/p' <<<"$manual")
for codigo in $(sed -n '/^Códigos de salida:/,/^$/s/^  \([0-9][0-9]*\) .*/\1/p' <<<"$ayuda"); do
  grep -qE "^$codigo\$" <<<"$salida" || falla "manual page: no exit code $codigo"
done

# /usr/lib is the loader's own: no run path for hosts of the package.
pc=$(dpkg-deb --fsys-tarfile "$vardel" | tar -xO ./usr/lib/pkgconfig/vardel.pc)
[[ $pc != *rpath* ]] || falla "vardel.pc of the package gives a run path: $pc"
grep -qx 'libdir=/usr/lib' <<<"$pc" || falla "vardel.pc of the package: $pc"
# From another prefix, however it is written, vardel.pc gives that prefix's
# plain <libdir>, and a host built with it carries it as its run path.
prefijos=$(realpath -m "$build/paquetes/prefijos")
for prefijo in "$prefijos/uno" "$prefijos/dos/" "$prefijos/./tres/../tres"; do
  for componente in Runtime Desarrollo; do
    cmake --install "$build" --prefix "$prefijo" --component "$componente" >/dev/null
  done
  libdir=$(realpath -m "$prefijo")/lib
  libs=$(PKG_CONFIG_PATH=$prefijo/lib/pkgconfig pkg-config --libs vardel | sed "s/ *$//")
  [ "$libs" = "-L$libdir -lvardel -Wl,-rpath,$libdir" ] || falla "pkg-config --libs from $prefijo: $libs"
done
anfitrion=$prefijos/anfitrion
printf '#include <vardel/version.h>\nint main() { return vardel::VersionBiblioteca() ? 0 : 1; }\n' >"$anfitrion.cpp"
# shellcheck disable=SC2046
g++ "$anfitrion.cpp" -o "$anfitrion" $(PKG_CONFIG_PATH=$prefijos/dos/lib/pkgconfig pkg-config --cflags --libs vardel) ||
  falla "a host built through pkg-config from a prefix"
ruta=$(readelf -d "$anfitrion" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]$/\1/p')
[ "$ruta" = "$prefijos/dos/lib" ] || falla "the host's RUNPATH: $ruta"
"$anfitrion" || falla "a host built through pkg-config from a prefix does not run"

# The web bridge's user unit starts the packaged command.
unidad=$(dpkg-deb --fsys-tarfile "$vardel" | tar -xO ./usr/lib/systemd/user/vardel-puente.service)
grep -qx 'ExecStart=/usr/bin/vardel serve' <<<"$unidad" || falla "vardel-puente.service: $unidad"
grep -qx 'WantedBy=default.target' <<<"$unidad" || falla "vardel-puente.service is not enabled per session"
# Each package says what it is in its own summary line.
resumen() { dpkg-deb -f "$1" Description | head -1; }
[ "$(resumen "$simulador")" != "$(resumen "$vardel")" ] || falla "one summary for both packages"

carpeta_log=$(sed -n 's/^VARDEL_CARPETA_LOG:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$(id -u)" != 0 ] || dpkg-query -W vardel >/dev/null 2>&1 || [ -e /etc/vardel ] ||
   [ "$carpeta_log" != /var/log/vardel ]; then
  echo "packages built; not installed (needs root, a machine without vardel and the tree of preset deb)"
  exit 0
fi
trap 'dpkg --purge vardel-simulador vardel >/dev/null 2>&1 || true' EXIT
# Folders an earlier install left (images and logs stay) keep their rights.
nuevos=()
for f in /var/lib/vardel/imagenes:2775 /var/log/vardel:2775 /etc/vardel:2775 \
         /etc/vardel/Config.ini:664; do
  [ -e "${f%:*}" ] || nuevos+=("$f")
done
dpkg -i "$vardel" "$simulador" >/dev/null
[ -L /usr/lib/vardel/Config.ini ] && [ -f /etc/vardel/Config.ini ] || falla "settings not in place"
# Members of the group "vardel" write images, the log and the settings.
for f in "${nuevos[@]}"; do
  [ "$(stat -c %G:%a "${f%:*}")" = "vardel:${f##*:}" ] || falla "rights of ${f%:*}"
done
[[ "$(vardel --version)" == "vardel "* ]] || falla "vardel --version"
if command -v systemd-analyze >/dev/null; then
  systemd-analyze verify /usr/lib/systemd/user/vardel-puente.service || falla "vardel-puente.service"
fi
# A host built through pkg-config with the compiler's default standard runs
# with the library in /usr/lib, where the loader looks.
anfitrion=$build/paquetes/anfitrion
printf '#include <vardel/comunica.h>\n#include <vardel/version.h>\n#include <string>\n%s\n' \
  'int main() { return std::string(vardel::VersionBiblioteca()) == VARDEL_VERSION ? 0 : 1; }' \
  >"$anfitrion.cpp"
# shellcheck disable=SC2046
g++ "$anfitrion.cpp" -o "$anfitrion" $(pkg-config --cflags --libs vardel) && "$anfitrion" ||
  falla "a host built through pkg-config"
! readelf -d "$anfitrion" | grep -q 'RUNPATH\|RPATH' || falla "a host of the package has a run path"
vardel status >/dev/null || falla "no reader through the installed simulator"
# An ordinary account in the group reads the tray: images and log written.
grupo=$(getent group vardel | cut -d: -f3)
marca=$build/paquetes/antes-de-leer && touch "$marca" && sleep 1
setpriv --reuid=65534 --regid=65534 --groups="$grupo" vardel read --json </dev/null >/dev/null ||
  falla "a member of the group vardel cannot read the tray"
[ -n "$(find /var/lib/vardel/imagenes -name 'ANV*' -newer "$marca")" ] || falla "no images written"
[ -n "$(find /var/log/vardel -name Lectora.log -newer "$marca")" ] || falla "no log written"
# Root reads with no log folder in the settings: the log still goes to
# /var/log/vardel, never into the component's folder under /usr.
sed -i 's/^DirectorioLog=.*/DirectorioLog=\r/' /etc/vardel/Config.ini
marca=$build/paquetes/sin-directorio-log && touch "$marca" && sleep 1
vardel read --json </dev/null >/dev/null || falla "root cannot read the tray"
[ -n "$(find /var/log/vardel -name Lectora.log -newer "$marca")" ] ||
  falla "no log in /var/log/vardel without DirectorioLog"
[ ! -e /usr/lib/vardel/Lectora.log ] || falla "a log in the component's folder"
echo "MarcaOperador=1" >>/etc/vardel/Config.ini
dpkg -i "$vardel" >/dev/null
grep -q MarcaOperador /etc/vardel/Config.ini || falla "reinstall replaced the operator's Config.ini"
# The log an earlier version wrote into the component's folder.
echo "linea de una version anterior" >/usr/lib/vardel/Lectora.log
dpkg -r vardel-simulador vardel >/dev/null
[ -f /etc/vardel/Config.ini ] && [ "$(ls -A /usr/lib/vardel)" = Lectora.log ] ||
  falla "remove: settings gone or files left"
dpkg --purge vardel-simulador vardel >/dev/null
for f in /etc/vardel /var/log/vardel /usr/lib/vardel; do
  [ ! -e "$f" ] || falla "purge left $f"
done
# The images are cheques: a purge keeps them, and their folder.
[ -n "$(find /var/lib/vardel/imagenes -name 'ANV*')" ] || falla "purge removed the images"
# The sample images go with the test when their folder was its own.
[[ " ${nuevos[*]} " != *" /var/lib/vardel/imagenes:"* ]] || rm -rf /var/lib/vardel
echo "packages built, installed, reinstalled over an edit, removed and purged: ok"
