#!/usr/bin/env bash
# Runs a Windows test program under Wine on a desktop of its own: an Xvfb
# server on a free display and a Wine prefix whose wineserver is started with
# that display (a wineserver started headless would keep its desktop
# headless). Screenshots the program leaves as BMP become PNG.
#   con_escritorio.sh PROGRAM.exe ARTIFACTS_DIR WINEPREFIX [ARGS...]
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
programa=$1
artefactos=$2
export WINEPREFIX=$3
shift 3
export WINEDEBUG=${WINEDEBUG:--all}
mkdir -p "$artefactos" "$(dirname "$WINEPREFIX")"

# A 32-bit program needs a kernel that runs 32-bit code: skipped elsewhere.
if [ "$("$scripts/pe-arch" "$programa")" != x86_64 ] && ! "$scripts/wine-32bit"; then
  echo "con_escritorio: this machine cannot run 32-bit Windows programs; skipped" >&2
  exit 77
fi

# A free display number: no lock file and no socket.
pantalla=
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    pantalla=$n
    break
  fi
done
[ -n "$pantalla" ] || { echo "con_escritorio: no free X display" >&2; exit 1; }
Xvfb ":$pantalla" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
termina() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap termina EXIT
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$pantalla" ] && break
  sleep 0.05
done
export DISPLAY=":$pantalla"

# Only one run per prefix at a time: its server belongs to this display.
exec 9>"$WINEPREFIX.escritorio.lock"
flock 9
wineserver -k >/dev/null 2>&1 || true
VARDEL_WINEPREFIX=$WINEPREFIX "$scripts/wine-prefix" >/dev/null

rm -f "$artefactos"/settings-screen*.bmp
set +e
VARDEL_ARTEFACTOS=$(/usr/lib/wine/wine64 winepath -w "$artefactos" 2>/dev/null) \
  VARDEL_WINEPREFIX=$WINEPREFIX "$scripts/wine-run" "$programa" "$@"
resultado=$?
set -e
for bmp in "$artefactos"/settings-screen*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
exit "$resultado"
