#!/usr/bin/env bash
# `make screenshots-windows`: renders the model picker, the main window, the settings
# dialog, the completion notice and the About box through the program's own Win32 backend,
# under wine64 on a private virtual X server, into docs/windows/.
set -euo pipefail
source "$(dirname "$0")/private-mounts.sh"
rerun_with_devices_hidden "$(realpath "$0")" "$@"
top=$(cd "$(dirname "$0")/.." && pwd)
win_build=${WIN_BUILD:-$top/build-win}
case $win_build in /*) ;; *) win_build=$top/$win_build ;; esac
source "$top/scripts/wine-lib.sh"
wine_scratch wine-shots
start_private_x
mkdir -p "$top/docs/windows"
"$wine" "$win_build/qlx-screenshots.exe" "Z:${top//\//\\}\\docs\\windows" 2>/dev/null
# The tool stores its PNGs uncompressed; the copies kept in the repository are deflated.
/usr/bin/python3 - "$top/docs/windows"/*.png <<'PY'
import sys
from PIL import Image
for path in sys.argv[1:]:
    Image.open(path).save(path, optimize=True)
PY
