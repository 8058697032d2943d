#!/usr/bin/env bash
# Installs the Debian packages one kind of work needs, and only those:
#   install-deps.sh build     the program, its tests and benchmarks, the GUI, the packages
#                             (make build, install, package, run)
#   install-deps.sh test      and what the Linux tests run: a private CUPS scheduler, srecord,
#                             the fuzzer's clang, the package checks (lintian), the QEMU guest
#                             of the driver checks (its kernel is fetched into the build tree
#                             by scripts/drivers-guest/kernel.sh), Ansible for the fleet
#                             rollout's check
#   install-deps.sh windows   and the Windows programs: MinGW-w64 (64- and 32-bit), Wine
#                             (with its 32-bit side from the i386 architecture), Xvfb, NSIS
#   install-deps.sh check     all of it (make check)
# Safe to run again: it asks apt only for what is missing. Works as root or through sudo.
set -euo pipefail

build=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libcups2-dev qt6-base-dev libgl-dev fonts-liberation
  dpkg-dev file
)
test=(
  clang-format clang libclang-rt-14-dev
  cups-daemon cups-client srecord desktop-file-utils lintian
  qemu-system-x86 busybox-static kmod cpio
  ansible-core
)
windows=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine32:i386
  xvfb xdotool nsis python3 python3-pil
)

packages=("${build[@]}")
case "${1:-build}" in
  build) ;;
  test) packages+=("${test[@]}") ;;
  windows) packages+=("${windows[@]}") ;;
  check) packages+=("${test[@]}" "${windows[@]}") ;;
  *)
    echo "install-deps: unknown group ${1} (build, test, windows, check)" >&2
    exit 2
    ;;
esac

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
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
# cups-daemon starts a system-wide scheduler on install; the tests run their own private
# one and never need the system's.
