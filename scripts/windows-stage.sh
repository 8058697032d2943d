#!/usr/bin/env bash
# One stage of the Windows checks. Each needs its own part of the machine: the MinGW-w64
# compilers to build, NSIS for the installer, wine64 for the 64-bit program, Wine's 32-bit
# side for the 32-bit program and for the installer (setup.exe is a 32-bit program), a
# virtual X server for the windows. A stage whose part is missing says NOT RUN and why.
# Usage: windows-stage.sh <stage> <linux build> <64-bit build> <32-bit build> <jobs>
# stages: build-64 build-32 installer unit-64 unit-32 smoke-64 smoke-32 gui installer-check
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/stage-lib.sh
stage=$1 build=$2 win64=$3 win32=$4 jobs=$5
wine32_loader=/usr/lib/wine/wine

# A stage that runs Wine keeps it away from the machine's own devices.
source scripts/private-mounts.sh
case $stage in
  unit-* | smoke-* | gui | installer-check) rerun_with_devices_hidden "$PWD/scripts/windows-stage.sh" "$@" ;;
esac

configure() {  # configure <dir> <toolchain> <cmake options>…
  local dir=$1 toolchain=$2
  shift 2
  [ -f "$dir/build.ninja" ] ||
    cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain.cmake" \
      -DCMAKE_BUILD_TYPE=Release "$@"
}

unit_tests() {  # unit_tests <build dir>: its tests under Wine in a throwaway prefix
  rm -rf "$1/wineprefix"
  WINEPREFIX=$(realpath "$1")/wineprefix WINEDEBUG=-all \
    ctest --test-dir "$1" --output-on-failure --timeout 300
}

case $stage in
  build-64)
    need_packages g++-mingw-w64-x86-64-posix
    configure "$win64" mingw-w64-x86_64
    cmake --build "$win64" -j"$jobs"
    ;;
  build-32)
    # The program only: its tests are built by the stage that can run them.
    need_packages g++-mingw-w64-i686-posix
    configure "$win32" mingw-w64-i686 -DVRTQLX_BENCH=OFF
    cmake --build "$win32" -j"$jobs" --target vrtqlx
    ;;
  installer)
    need_packages nsis
    need_files "$win64/vrtqlx.exe" "$win32/vrtqlx.exe"
    bash scripts/windows-installer.sh "$win64" "$win32"
    ;;
  unit-64)
    need_packages wine64
    need_files "$win64/qlx-tests.exe"
    unit_tests "$win64"
    ;;
  unit-32)
    need_packages wine32:i386
    need_files "$win32/build.ninja"
    cmake --build "$win32" -j"$jobs"
    unit_tests "$win32"
    ;;
  smoke-64)
    need_packages wine64
    need_files "$win64/vrtqlx.exe"
    bash scripts/windows-smoke.sh "$win64/vrtqlx.exe" "$build/qlx-printer-sim"
    ;;
  smoke-32)
    need_packages wine32:i386
    need_files "$win32/vrtqlx.exe"
    WINE=$wine32_loader bash scripts/windows-smoke.sh "$win32/vrtqlx.exe" "$build/qlx-printer-sim"
    ;;
  gui)
    need_packages wine64 xvfb xdotool python3-pil
    need_files "$win64/qlx-gui-tests.exe"
    bash scripts/windows-gui-check.sh "$win64" "$build/qlx-printer-sim"
    ;;
  installer-check)
    need_packages wine32:i386
    setup=$(ls "$win64"/vrtqlx-*-setup.exe 2>/dev/null | head -n 1)
    need_files "${setup:-$win64/vrtqlx-<version>-setup.exe}"
    bash scripts/windows-installer-check.sh "$setup" "$build/qlx-printer-sim"
    ;;
  *)
    echo "windows-stage: unknown stage $stage" >&2
    exit 2
    ;;
esac
