#!/usr/bin/env bash
# The shared services at the top of src/platform/ and src/framework/ must build on every
# system: only C++ standard headers there (they have no ".h"). What needs a system's own
# headers (unistd.h, termios.h, sys/..., windows.h, cups/..., dlfcn.h) lives in that
# system's folder, posix/ or win32/.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
for dir in src/platform src/framework; do
  hits=$(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<[^>]*\.h>' "$dir"/*.cpp "$dir"/*.h || true)
  if [ -n "$hits" ]; then
    echo "System headers at the top of $dir/ (move the code into posix/ or win32/):"
    echo "$hits"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "layout: no system header at the top of src/platform/ or src/framework/"
exit "$status"
