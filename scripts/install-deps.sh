#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks, the GUI and the
# packaging (dpkg-shlibdeps, file, desktop-file-validate) and the driver checks in a QEMU
# guest (its kernel is fetched into the build tree by scripts/drivers-guest/kernel.sh) need.
# Safe to run again: it asks apt only for what is missing. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format clang libclang-rt-14-dev
  libcups2-dev cups-daemon cups-client
  qt6-base-dev libgl-dev fonts-liberation
  python3 python3-pil
  srecord dpkg-dev file desktop-file-utils lintian
  g++-mingw-w64-x86-64-posix wine64 xvfb xdotool
  # The 32-bit Windows program, its tests under Wine's 32-bit side, and the installer.
  g++-mingw-w64-i686-posix wine32:i386 nsis
  # The driver checks in a QEMU guest.
  qemu-system-x86 busybox-static kmod cpio
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
# Wine's 32-bit side comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
# cups-daemon starts a system-wide scheduler on install; the tests run their own private
# one and never need the system's.
