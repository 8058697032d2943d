#!/usr/bin/env bash
# The operator's windows of the Windows program under wine64 on a virtual X server: the
# Win32 backend's tests (main window size, Enter and Escape, the whole interactive download
# into the Linux printer simulator, compared byte for byte here), then the program itself,
# whose model picker ends the process with exit code 1 on Escape. Usage:
#   windows-gui-check.sh <windows build dir> <qlx-printer-sim>
# Ends with "N passed, N failed" and a non-zero exit when any case failed.
set -uo pipefail
win_build=$(realpath "$1")
sim_binary=$(realpath "$2")
source "$(dirname "$0")/wine-lib.sh"
wine_scratch wine-gui
started=$(date +%s)
start_private_x
"$wine" wineboot -i >/dev/null 2>&1

work=$scratch/work
mkdir -p "$work"
cd "$work" || exit 1
head -c 98304 /dev/urandom >TQR-23_V1.00_120826.fls
start_sim tcp --port 0
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
