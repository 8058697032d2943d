#!/usr/bin/env bash
# Builds the Windows installer from the two Windows builds: <64-bit build>/vrtqlx-<version>-setup.exe.
# Usage: windows-installer.sh <64-bit build dir> <32-bit build dir>
set -euo pipefail
win64=$(realpath "$1")
win32=$(realpath "$2")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win64/CMakeCache.txt")
makensis -V2 -DVERSION="$version" -DEXE64="$win64/vrtqlx.exe" -DEXE32="$win32/vrtqlx.exe" \
  -DICON="$win64/vrtqlx.ico" -DOUTFILE="$win64/vrtqlx-$version-setup.exe" \
  "$(dirname "$0")/../packaging/windows/installer.nsi"
echo "installer: $win64/vrtqlx-$version-setup.exe"
