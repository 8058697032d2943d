#!/usr/bin/env bash
# The installer's round trip under Wine, as a Windows administrator would make it: a silent
# install, a silent TCP download by the installed program into the Linux printer simulator,
# a silent uninstall that leaves no file, no shortcut and no Add/Remove entry. Usage:
#   windows-installer-check.sh <setup.exe> <qlx-printer-sim>
# Ends with "N passed, N failed" and a non-zero exit when any case failed.
set -uo pipefail
setup=$(realpath "$1")
sim_binary=$(realpath "$2")
source "$(dirname "$0")/wine-lib.sh"
wine_scratch installer

installed="$WINEPREFIX/drive_c/Program Files/VORTANE/vrtqlx"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VORTANE"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vrtqlx'
entry() { "$wine" reg query "$uninstall_key" >/dev/null 2>&1; }

"$wine" wineboot -i >/dev/null 2>&1
"$wine" "$setup" /S
"${wine%/*}/wineserver" -w
check "setup /S installs the 64-bit program under Program Files" \
  bash -c "file '$installed/vrtqlx.exe' | grep -q 'PE32+ executable (GUI) x86-64'"
check "a Start-menu shortcut and an Add/Remove entry with its uninstaller" \
  bash -c "test -f '$shortcut/VORTANE QLX Firmware Downloader.lnk' && test -f '$installed/uninstall.exe'"
check "the Add/Remove entry" entry

mkdir -p "$scratch/work" && cd "$scratch/work" || exit 1
head -c 200000 /dev/urandom >TQR-23_V1.00_120826.fls
start_sim tcp --port 0
"$wine" 'C:\Program Files\VORTANE\vrtqlx\vrtqlx.exe' -s -p NET 127.0.0.1 -tcpport "${where##*:}" \
  -m TQR-23 -f TQR-23_V1.00_120826.fls >out.txt 2>err.txt </dev/null
rc=$?
for _ in $(seq 200); do kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.05; done
check "the installed program downloads byte for byte, exit 0" \
  bash -c "test $rc = 0 && cmp -s TQR-23_V1.00_120826.fls got.bin"

"$wine" 'C:\Program Files\VORTANE\vrtqlx\uninstall.exe' /S
"${wine%/*}/wineserver" -w
check "uninstall /S leaves no file and no shortcut" \
  bash -c "! test -e '$installed' && ! test -e '${installed%/*}' && ! test -e '$shortcut'"
entry
check "and no Add/Remove entry" test $? -ne 0

cd "$scratch" || exit 1
echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
