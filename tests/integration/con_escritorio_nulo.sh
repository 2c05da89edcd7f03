#!/usr/bin/env bash
# Runs a Windows test program under Wine on a copy of the project's prefix
# whose desktop uses Wine's null display driver: windows can be made, and
# sent messages, without an X server. The shared prefix's server stays
# headless (there a message box cannot appear and wait for nobody), so the
# copy has a server of its own, stopped at the end.
#   con_escritorio_nulo.sh PROGRAM.exe WORK_DIR [ARGS...]
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
programa=$1 carpeta=$2
shift 2

# shellcheck source=../../scripts/wine-prefix-own
. "$scripts/wine-prefix-own"
prefijo_propio con_escritorio_nulo "$programa" "$carpeta"
# Read by the desktop when the copy's server starts it.
printf '\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n' >>"$propio/user.reg"

VARDEL_WINEPREFIX=$propio "$scripts/wine-run" "$programa" "$@"
