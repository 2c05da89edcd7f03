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

# A 32-bit program needs a kernel that runs 32-bit code: skipped elsewhere.
if [ "$("$scripts/pe-arch" "$programa")" != x86_64 ] && ! "$scripts/wine-32bit"; then
  echo "con_escritorio_nulo: this machine cannot run 32-bit Windows programs; skipped" >&2
  exit 77
fi

compartido=${VARDEL_WINEPREFIX:-$scripts/../build/wineprefix}
"$scripts/wine-prefix" >/dev/null
propio=$carpeta/wineprefix
terminar() {
  if [ -f "$propio/system.reg" ]; then
    WINEPREFIX=$propio wineserver -k 2>/dev/null || true
  fi
  rm -rf "$carpeta"
}
trap terminar EXIT
rm -rf "$carpeta"
mkdir -p "$carpeta"

# The large system files hard-linked, everything Wine may rewrite copied.
if [ "$(stat -c %d "$compartido")" = "$(stat -c %d "$carpeta")" ]; then
  cp -a --link "$compartido" "$propio"
  (cd "$compartido" && find . -type f \( -size -256k -o -name '*.reg' \) -print0 |
    xargs -0 cp --remove-destination --parents -t "$propio")
else
  cp -a "$compartido" "$propio"
fi
# Read by the desktop when the copy's server starts it.
printf '\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n' >>"$propio/user.reg"

VARDEL_WINEPREFIX=$propio "$scripts/wine-run" "$programa" "$@"
