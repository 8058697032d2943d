#!/usr/bin/env bash
# `make screenshots-windows`: renders the model picker, the main window, the settings
# dialog, the completion notice and the About box through the program's own Win32 backend,
# under wine64 on a private virtual X server, into docs/windows/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
win_build=${WIN_BUILD:-$top/build-win}
case $win_build in /*) ;; *) win_build=$top/$win_build ;; esac
wine=${WINE64:-/usr/lib/wine/wine64}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vrtqlx-wine-shots.XXXXXX")
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all
xvfb_pid=
cleanup() {
  "${wine%/*}/wineserver" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
exec 9>"$scratch/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  sleep 0.05
done
export DISPLAY=:$(head -n 1 "$scratch/display")
mkdir -p "$top/docs/windows"
"$wine" "$win_build/qlx-screenshots.exe" "Z:${top//\//\\}\\docs\\windows" 2>/dev/null
# The tool stores its PNGs uncompressed; the copies kept in the repository are deflated.
/usr/bin/python3 - "$top/docs/windows"/*.png <<'PY'
import sys
from PIL import Image
for path in sys.argv[1:]:
    Image.open(path).save(path, optimize=True)
PY
