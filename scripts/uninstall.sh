#!/usr/bin/env bash
# `make uninstall`: removes every file the last `make install` of a build tree installed (as
# CMake listed them in install_manifest.txt), then the program's own directories that are
# left empty. Usage: uninstall.sh <build>/install_manifest.txt
set -euo pipefail
manifest=$1
if [ ! -f "$manifest" ]; then
  echo "uninstall: $manifest is missing: nothing was installed from this build tree" >&2
  exit 1
fi
removed=0
while IFS= read -r file || [ -n "$file" ]; do
  [ -n "$file" ] || continue
  if [ -e "$file" ] || [ -L "$file" ]; then
    rm -f -- "$file"
    removed=$((removed + 1))
  fi
  # The directories only this program uses (its window module's, its documentation's).
  dir=$(dirname -- "$file")
  case "$dir" in
    */vrtqlx | */vrtqlx-gui) rmdir --ignore-fail-on-non-empty -- "$dir" 2>/dev/null || true ;;
  esac
done <"$manifest"
echo "uninstall: removed $removed files listed in $manifest"
