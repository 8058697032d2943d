#!/usr/bin/env bash
# `make screenshots`: renders the model picker, the main window, the settings dialog, the
# completion notice and the About box offscreen through the program's own Qt backend into
# docs/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$top/build}
mkdir -p "$top/docs"
QT_QPA_PLATFORM=offscreen "$build/qlx-screenshots" "$top/docs"
