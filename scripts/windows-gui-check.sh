#!/usr/bin/env bash
# The operator's windows of the Windows program under wine64 on a virtual X server: the
# Win32 backend's tests (main window size, Enter and Escape, the whole interactive download
# into the Linux printer simulator, compared byte for byte here), then the program itself,
# whose model picker ends the process with exit code 1 on Escape. Usage:
#   windows-gui-check.sh <windows build dir> <qlx-printer-sim>
# Ends with "N passed, N failed" and a non-zero exit when any case failed.
set -uo pipefail
win_build=$(realpath "$1")
sim=$(realpath "$2")
wine=${WINE64:-/usr/lib/wine/wine64}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vrtqlx-wine-gui.XXXXXX")
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all
started=$(date +%s)
passed=0
failed=0
sim_pid=
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  "${wine%/*}/wineserver" -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

check() {  # check <name> <condition…>
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok      $name"
  else
    failed=$((failed + 1))
    echo "FAILED  $name"
  fi
}

# A private X server on the first free display number, which it reports itself.
exec 9>"$scratch/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  sleep 0.05
done
export DISPLAY=:$(head -n 1 "$scratch/display")
mkdir -p "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1

work=$scratch/work
mkdir -p "$work"
cd "$work" || exit 1
head -c 98304 /dev/urandom >TQR-23_V1.00_120826.fls
"$sim" tcp --port 0 --out got.bin >sim.txt 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^ready ' sim.txt 2>/dev/null && break
  sleep 0.05
done
where=$(sed -n 's/^ready //p' sim.txt)
VRTQLX_SIM_TCP_PORT=${where##*:} VRTQLX_TEST_FIRMWARE="Z:${work//\//\\}\\TQR-23_V1.00_120826.fls" \
  "$wine" "$win_build/qlx-gui-tests.exe" >gui-tests.txt 2>&1 </dev/null
rc=$?
grep -E '^\[ +(OK|FAILED|SKIPPED) +\]|Failure|Expected|Which is|message box' gui-tests.txt
check "Win32 backend tests under Wine" test "$rc" = 0
check "interactive download: the simulator got the chosen file byte for byte" \
  cmp -s TQR-23_V1.00_120826.fls got.bin
kill "$sim_pid" 2>/dev/null
wait "$sim_pid" 2>/dev/null
sim_pid=

# Escape in the model picker of the program itself.
mkdir -p "$scratch/picker"
cd "$scratch/picker" || exit 1
cp "$win_build/vrtqlx.exe" .
"$wine" ./vrtqlx.exe >out.txt 2>err.txt </dev/null &
program_pid=$!
timeout 30 xdotool search --sync --onlyvisible --class vrtqlx.exe >/dev/null 2>&1
# The picker takes the focus once Wine has mapped it; Escape goes again until the program
# has ended, for at most 20 s.
for _ in $(seq 40); do
  xdotool key Escape 2>/dev/null
  sleep 0.5
  kill -0 "$program_pid" 2>/dev/null || break
done
kill "$program_pid" 2>/dev/null
wait "$program_pid"
rc=$?
program_pid=
check "Escape in the model picker ends the program with exit code 1" test "$rc" = 1

cd "$scratch" || exit 1
echo "windows gui stage: $(($(date +%s) - started)) s"
echo "gui: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
