#!/usr/bin/env bash
# Installs the Debian packages one kind of work needs, and only those:
#   install-deps.sh build     the program, its tests and benchmarks, the GUI, the packages
#                             (make build, install, package, run)
#   install-deps.sh test      and what the Linux tests run: a private CUPS scheduler, srecord,
#                             the fuzzer's clang, the package checks (lintian), the QEMU guest
#                             of the driver checks (its kernel is fetched into the build tree
#                             by scripts/drivers-guest/kernel.sh), Ansible and ansible-lint
#                             for the fleet rollout's check
#   install-deps.sh windows   and the Windows programs: MinGW-w64 (64- and 32-bit), Wine
#                             (with its 32-bit side from the i386 architecture), Xvfb, NSIS
#   install-deps.sh check     all of it (make check)
# Safe to run again: it asks apt only for what is missing. Works as root or through sudo.
#
# A mirror in the middle of a sync must not stop the work: apt-get update is tried three
# times and the run goes on with the lists apt has; when the packages cannot be installed
# together, each is tried alone, so one that cannot be had keeps no other out. What could
# not be installed is said with apt's reason and recorded in deps-missing.txt (package, tab,
# reason) at the top of the checkout, where the check stages read why they cannot run.
# Exit 1 only when a package of the build group is missing: nothing else can work then.
set -euo pipefail
# check.sh installs the whole set once before its stages.
[ -n "${VRTQLX_DEPS_CHECKED:-}" ] && exit 0
root=$(cd "$(dirname "$0")/.." && pwd)
report=${VRTQLX_DEPS_REPORT:-$root/deps-missing.txt}

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
  ansible-core ansible-lint logrotate
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

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# deps-missing.txt keeps what is missing now: this run's packages leave it, and those that
# could not be installed come back with this run's reason. Written once, and only when it
# exists or something is missing.
update_report() {  # update_report <package><tab><reason> lines
  [ -f "$report" ] || [ $# -gt 0 ] || return 0
  {
    if [ -f "$report" ]; then
      awk -F'\t' 'NR == FNR { ours[$1]; next } !($1 in ours)' \
        <(printf '%s\n' "${packages[@]}") "$report"
    fi
    if [ $# -gt 0 ]; then printf '%s\n' "$@"; fi
  } >"$report.new"
  if [ -s "$report.new" ]; then mv "$report.new" "$report"; else rm -f "$report.new" "$report"; fi
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  update_report
  exit 0
fi

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
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# A failed index (a mirror caught mid-sync) leaves apt with its older lists, which often
# still hold every package: after the last try the install goes ahead with them.
pause=${VRTQLX_APT_PAUSE:-5}
for try in 1 2 3; do
  if $sudo apt-get update -qq >"$out" 2>&1; then
    break
  fi
  cat "$out" >&2
  if [ "$try" -lt 3 ]; then
    echo "install-deps: apt-get update failed (try $try of 3); again in $((pause * try)) s" >&2
    sleep $((pause * try))
  else
    echo "install-deps: apt-get update failed three times; going on with the package lists apt has" >&2
  fi
done

# apt's own reason: its error line and the first dependency it could not meet.
reason() {
  local error depends
  error=$(grep -m 1 -E '^E: ' "$out" | sed -E 's/^E: //')
  depends=$(grep -m 1 -E '^ .*: (Pre)?Depends: ' "$out" | sed -E 's/^ +//; s/ +/ /g')
  echo "${error:-apt-get install failed}${depends:+ (first unmet: $depends)}"
}

apt_install() { $sudo apt-get install -y -q --no-install-recommends "$@" >"$out" 2>&1; }

declare -A why=()
if ! apt_install "${missing[@]}"; then
  if [ ${#missing[@]} -eq 1 ]; then
    why[${missing[0]}]=$(reason)
  else
    echo "install-deps: the packages cannot be installed together; trying each alone" >&2
    for p in "${missing[@]}"; do
      installed "$p" || apt_install "$p" || why[$p]=$(reason)
    done
  fi
fi

failed=()
lines=()
for p in "${missing[@]}"; do
  installed "$p" && continue
  failed+=("$p")
  lines+=("$p"$'\t'"${why[$p]:-apt-get install $p failed}")
  echo "install-deps: NOT INSTALLED $p: ${why[$p]:-apt-get install $p failed}" >&2
done
update_report "${lines[@]}"

[ ${#failed[@]} -eq 0 ] && exit 0
echo "install-deps: ${#failed[@]} package(s) could not be installed: ${failed[*]} (reasons in $report)" >&2
for p in "${failed[@]}"; do
  for b in "${build[@]}"; do
    [ "$p" = "$b" ] && exit 1
  done
done
exit 0
