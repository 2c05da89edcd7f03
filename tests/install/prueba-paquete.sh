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
paquete() { ls "$build"/paquetes/"$1"_*.deb; }
biblioteca=$(paquete libvardel1) desarrollo=$(paquete libvardel-dev) vardel=$(paquete vardel)
simulador=$(paquete vardel-simulador)
todos=("$biblioteca" "$desarrollo" "$vardel" "$simulador")
version=$(dpkg-deb -f "$vardel" Version)
# contiene PACKAGE FILE...: each file is in the package.
contiene() {
  local deb=$1 contenido f
  shift
  contenido=$(dpkg-deb -c "$deb")
  for f; do
    grep -q " $f\( \|$\)" <<<"$contenido" || falla "$f not in $(basename "$deb")"
  done
}
contiene "$biblioteca" ./usr/lib/libvardel.so.1 ./usr/lib/vardel/libvardel.so.1 ./usr/share/vardel/Config.ini
contiene "$desarrollo" ./usr/include/vardel/comunica.h ./usr/include/vardel/version.h \
  ./usr/lib/libvardel.so ./usr/lib/pkgconfig/vardel.pc ./usr/lib/cmake/Vardel/VardelConfig.cmake \
  ./usr/share/doc/libvardel-dev/linux-host-guide.md ./usr/share/doc/libvardel-dev/code-line.md \
  ./usr/share/doc/libvardel-dev/ejemplos/lector-cheques/main.cpp \
  ./usr/share/doc/libvardel-dev/ejemplos/lector-cheques/CMakeLists.txt
contiene "$vardel" ./usr/bin/vardel ./usr/share/man/man1/vardel.1.gz \
  ./usr/lib/systemd/user/vardel-puente.service ./usr/share/doc/vardel/cli.md \
  ./usr/share/doc/vardel/operator.md ./usr/share/doc/vardel/web-bridge.md \
  ./usr/share/doc/vardel/web-bridge-it.md ./usr/share/doc/vardel/ejemplos/cajero-web/index.html \
  ./usr/share/doc/vardel/clients/web/vardel.js ./usr/share/doc/vardel/clients/web/index.d.ts
contiene "$simulador" ./usr/lib/vardel/libmtxmlmcr.so
# Each file in one package only: the library is not in the command's, the
# headers are not in the library's.
[ -z "$(for deb in "${todos[@]}"; do dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ {print $6}'; done |
        sort | uniq -d)" ] || falla "a file in two packages"
! dpkg-deb -c "$vardel" | grep -q 'libvardel\.so\|/include/' || falla "the command's package holds the library"
# The settings are the maintainer script's, never a file of the package.
! dpkg-deb -c "$biblioteca" | grep -q ' ./usr/lib/vardel/Config.ini' ||
  falla "the package ships the component's Config.ini"
# The command and the development files need the library of their own
# build; the library takes over the files of the single package "vardel"
# of earlier versions, and so do the development files.
for deb in "$vardel" "$desarrollo" "$simulador"; do
  [[ ", $(dpkg-deb -f "$deb" Depends), " == *", libvardel1 (= $version), "* ]] ||
    falla "$(basename "$deb") does not depend on libvardel1 (= $version)"
done
for deb in "$biblioteca" "$desarrollo"; do
  for campo in Breaks Replaces; do
    [ "$(dpkg-deb -f "$deb" $campo)" = "vardel (<< $version)" ] || falla "$campo of $(basename "$deb")"
  done
done
dpkg-deb --ctrl-tarfile "$biblioteca" | tar -xO ./shlibs | grep -qx "libvardel 1 libvardel1 (>= ${version%-*})" ||
  falla "libvardel1's shlibs"
# Every package has its copyright, machine-readable, and its changelog.
for deb in "${todos[@]}"; do
  nombre=$(dpkg-deb -f "$deb" Package)
  extrae() { dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/doc/$nombre/$1"; }
  extrae copyright | head -1 | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    falla "$nombre: no machine-readable copyright"
  extrae copyright | grep -q '^Files: \*$' || falla "$nombre: copyright covers no files"
  extrae changelog.Debian.gz | zcat | head -1 | grep -q "^vardel ($version) " ||
    falla "$nombre: changelog.Debian.gz is not of $version"
done
# Every package has its bill of materials beside its copyright, with the
# fields SPDX 2.3 requires, listing exactly its files with their checksums;
# the command's names the header-only libraries compiled into it, each with
# the version installed here.
comprueba_spdx=$(dirname "$0")/comprueba_spdx.py
boost=$(dpkg-query -S /usr/include/boost/version.hpp | cut -d: -f1)
for deb in "${todos[@]}"; do
  nombre=$(dpkg-deb -f "$deb" Package)
  contenido=$build/paquetes/contenido/$nombre
  rm -rf "$contenido" && mkdir -p "$contenido" && dpkg-deb -x "$deb" "$contenido"
  bibliotecas=()
  [ "$nombre" != vardel ] || bibliotecas=(--debian libcli11-dev --debian nlohmann-json3-dev --debian "$boost")
  python3 "$comprueba_spdx" "$contenido/usr/share/doc/$nombre/$nombre.spdx.json" "$contenido" \
    "${bibliotecas[@]}" || falla "$nombre: its bill of materials"
done
# Debian's policy, as lintian checks it: no error, and every warning kept
# is overridden in the package with its reason. As root it runs as nobody.
if command -v lintian >/dev/null; then
  como=()
  [ "$(id -u)" != 0 ] || como=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp)
  inicio=$(date +%s%N)
  informe=$("${como[@]}" lintian --fail-on none "${todos[@]}" 2>&1) || falla "lintian: $informe"
  ms=$((($(date +%s%N) - inicio) / 1000000))
  ! grep -E '^[EW]: ' <<<"$informe" || falla "lintian found errors or warnings"
  echo "lintian: no error and no warning in ${#todos[@]} packages ($((ms / 1000)).$(printf %03d $((ms % 1000))) s)"
else
  falla "lintian is missing (scripts/setup installs it)"
fi

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
pc=$(dpkg-deb --fsys-tarfile "$desarrollo" | tar -xO ./usr/lib/pkgconfig/vardel.pc)
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
[ "$(for deb in "${todos[@]}"; do dpkg-deb -f "$deb" Description | head -1; done | sort -u | wc -l)" = 4 ] ||
  falla "two packages with one summary"

carpeta_log=$(sed -n 's/^VARDEL_CARPETA_LOG:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$(id -u)" != 0 ] || dpkg-query -W vardel libvardel1 >/dev/null 2>&1 || [ -e /etc/vardel ] ||
   [ "$carpeta_log" != /var/log/vardel ]; then
  echo "packages built; not installed (needs root, a machine without vardel and the tree of preset deb)"
  exit 0
fi
paquetes=(vardel-simulador vardel libvardel-dev libvardel1)
trap 'dpkg --purge "${paquetes[@]}" >/dev/null 2>&1 || true' EXIT
# Folders an earlier install left (images and logs stay) keep their rights.
nuevos=()
for f in /var/lib/vardel/imagenes:2775 /var/log/vardel:2775 /etc/vardel:2775 \
         /etc/vardel/Config.ini:664; do
  [ -e "${f%:*}" ] || nuevos+=("$f")
done
# Up to 1.1.0 one package "vardel" held the library, the headers and the
# command, with the settings' scripts. One like it, made of these
# packages' files, is installed first and an operator edits its settings;
# the split packages then upgrade it.
antiguo=$build/paquetes/antiguo
mkdir -p "$antiguo/DEBIAN"
for deb in "$biblioteca" "$desarrollo" "$vardel"; do dpkg-deb -x "$deb" "$antiguo"; done
dpkg-deb --ctrl-tarfile "$biblioteca" | tar -x -C "$antiguo/DEBIAN" ./postinst ./postrm
printf '%s\n' "Package: vardel" "Version: 1.1.0" "Architecture: $(dpkg --print-architecture)" \
  "Maintainer: $(dpkg-deb -f "$vardel" Maintainer)" "Description: the single package of 1.1.0" \
  >"$antiguo/DEBIAN/control"
dpkg-deb --root-owner-group -b "$antiguo" "$build/paquetes/antiguo.deb" >/dev/null
dpkg -i "$build/paquetes/antiguo.deb" >/dev/null
echo "MarcaAntigua=1" >>/etc/vardel/Config.ini
# The library alone may not replace the old package's files while the old
# command stays: Breaks makes dpkg refuse it.
! dpkg -i "$biblioteca" >/dev/null 2>&1 || falla "libvardel1 installed beside the old vardel"
# apt orders the upgrade (the guide says to install them so); nothing is
# downloaded, since everything they need is installed.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "$(realpath "$biblioteca")" "$(realpath "$desarrollo")" "$(realpath "$vardel")" \
  "$(realpath "$simulador")" >"$build/paquetes/actualizacion.log" 2>&1 ||
  { cat "$build/paquetes/actualizacion.log"; falla "the split packages do not upgrade the single one"; }
for p in "${paquetes[@]}"; do
  [ "$(dpkg-query -W -f='${Version} ${db:Status-Status}' "$p")" = "$version installed" ] ||
    falla "$p after the upgrade: $(dpkg-query -W -f='${Version} ${db:Status-Status}' "$p")"
done
[ "$(dpkg -S /usr/lib/vardel/libvardel.so.1.1.0)" = "libvardel1: /usr/lib/vardel/libvardel.so.1.1.0" ] ||
  falla "the library is not libvardel1's: $(dpkg -S /usr/lib/vardel/libvardel.so.1.1.0)"
[ -L /usr/lib/vardel/Config.ini ] && [ -f /etc/vardel/Config.ini ] || falla "settings not in place"
grep -q MarcaAntigua /etc/vardel/Config.ini || falla "the upgrade replaced the operator's Config.ini"
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
dpkg -i "$biblioteca" "$vardel" >/dev/null
grep -q MarcaOperador /etc/vardel/Config.ini || falla "reinstall replaced the operator's Config.ini"
# The log an earlier version wrote into the component's folder.
echo "linea de una version anterior" >/usr/lib/vardel/Lectora.log
dpkg -r "${paquetes[@]}" >/dev/null
[ -f /etc/vardel/Config.ini ] && [ "$(ls -A /usr/lib/vardel)" = Lectora.log ] ||
  falla "remove: settings gone or files left"
# What a removal leaves of each package (its scripts, for the purge).
purgar=()
for p in "${paquetes[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != config-files ] || purgar+=("$p")
done
[[ " ${purgar[*]} " == *" libvardel1 "* ]] || falla "libvardel1 removed without its scripts"
dpkg --purge "${purgar[@]}" >/dev/null
for f in /etc/vardel /var/log/vardel /usr/lib/vardel; do
  [ ! -e "$f" ] || falla "purge left $f"
done
# The images are cheques: a purge keeps them, and their folder.
[ -n "$(find /var/lib/vardel/imagenes -name 'ANV*')" ] || falla "purge removed the images"
# The sample images go with the test when their folder was its own.
[[ " ${nuevos[*]} " != *" /var/lib/vardel/imagenes:"* ]] || rm -rf /var/lib/vardel
echo "packages built, checked, upgraded from the single package, reinstalled over an edit, removed and purged: ok"
