#!/usr/bin/env bash
# `make check`: the packages of `make package` hold what they must. vrtqlx has the program,
# the simulator and the man page and depends on no Qt; vrtqlx-gui has the window module,
# a valid desktop entry and the icon, and depends on vrtqlx and Qt 6 Widgets.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
status=0
fail() {
  echo "check-packages: $*" >&2
  status=1
}

expect_files() {
  local deb=$1
  shift
  local contents
  contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
  for file in "$@"; do
    grep -qx "\./$file" <<<"$contents" || fail "$(basename "$deb") lacks /$file"
  done
}

deb=$(ls "$build"/vrtqlx_"${version}"_*.deb)
expect_files "$deb" usr/bin/vrtqlx usr/bin/qlx-printer-sim usr/share/man/man1/vrtqlx.1.gz
depends=$(dpkg-deb -f "$deb" Depends)
grep -qi 'qt' <<<"$depends" && fail "vrtqlx depends on Qt: $depends"
grep -q 'libcups2' <<<"$depends" || fail "vrtqlx does not depend on libcups2: $depends"

gui=$(ls "$build"/vrtqlx-gui_"${version}"_*.deb 2>/dev/null || true)
if [ -n "$gui" ]; then
  expect_files "$gui" usr/lib/x86_64-linux-gnu/vrtqlx/vrtqlx-qt.so usr/share/applications/vrtqlx.desktop \
    usr/share/icons/hicolor/48x48/apps/vrtqlx.png
  depends=$(dpkg-deb -f "$gui" Depends)
  grep -q "vrtqlx (= $version)" <<<"$depends" || fail "vrtqlx-gui does not depend on vrtqlx: $depends"
  grep -q 'libqt6widgets6' <<<"$depends" || fail "vrtqlx-gui does not depend on Qt 6 Widgets: $depends"
fi
desktop-file-validate "$top/packaging/vrtqlx.desktop" || fail "the desktop entry is not valid"
"$build/qlx-printer-sim" --help | grep -q '^usage: qlx-printer-sim' || fail "qlx-printer-sim --help"

# Debian's own checks: no error and no warning on either package.
if ! said=$(lintian --fail-on error,warning "$deb" ${gui:+"$gui"} 2>&1); then
  fail "lintian finds errors or warnings"
fi
grep -v 'root privileges' <<<"$said" || true

[ "$status" -eq 0 ] && echo "check-packages: $(basename "$deb") ${gui:+and $(basename "$gui") }look right"
exit "$status"
