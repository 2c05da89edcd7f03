#!/usr/bin/env bash
# Runs the installer test on a Windows machine of its own: a Wine prefix
# copied from the project's warm one (its large system files hard-linked,
# everything Wine may rewrite copied), so installing and uninstalling never
# touch the registrations other tests make there. Builds the upgrade
# package (the same sources, a later version) beside it.
#   prueba_instalador.sh PROGRAM.exe PACKAGE.msi VERSION UPGRADE_CODE WORK_DIR
#                        BUILD_SCRIPT -- BUILD COMMAND...
# (the package's build command and script: packaging/windows/CMakeLists.txt)
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
programa=$1 paquete=$2 version=$3 actualizacion=$4 carpeta=$5 guion=$6
shift 6
[ "$1" = -- ] && shift

# shellcheck source=../../scripts/wine-prefix-own
. "$scripts/wine-prefix-own"
prefijo_propio prueba_instalador "$programa" "$carpeta"

# The web bridge's shortcut (feature Puente) starts the program without a
# console, with no arguments.
msiinfo export "$paquete" Shortcut |
  grep -q $'^PuenteInicio\t[^\t]*\t[^\t]*\t[^\t]*\t\\[INSTALLDIR\\]vardel-puente.exe\t\t' || {
  echo "prueba_instalador: the Puente shortcut is not 'vardel-puente.exe' without arguments" >&2
  exit 1
}

# The next patch version: an upgrade of the one built.
IFS=. read -r mayor menor parche <<<"$version"
nueva=$mayor.$menor.$((parche + 1))
"$@" -DVERSION="$nueva" -DSALIDA="$carpeta/nuevo.msi" -P "$guion" >/dev/null

windows() { echo "Z:${1//\//\\}"; }
VARDEL_WINEPREFIX=$propio VARDEL_MSI=$(windows "$paquete") VARDEL_MSI_NUEVO=$(windows "$carpeta/nuevo.msi") \
  VARDEL_VERSION=$version VARDEL_VERSION_NUEVA=$nueva VARDEL_MSI_UPGRADE="{$actualizacion}" \
  "$scripts/wine-run" "$programa"
