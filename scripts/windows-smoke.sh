#!/usr/bin/env bash
# Runs the Windows program under wine64 as a user would, against the Linux printer
# simulator: silent TCP and serial downloads byte for byte, a settings-file job, invalid
# parameters, a refused connection, a USB job without a printer, printers that stop, close
# or reset part-way, spooler printers that refuse the pause, the console under `start /wait`
# and `cmd /c`, no display, a settings file of another user, closed standard handles, an
# image larger than memory. Usage:
#   windows-smoke.sh <vrtqlx.exe> <qlx-printer-sim>
# Ends with "N passed, N failed" and a non-zero exit when any case failed.
set -uo pipefail
exe=$(realpath "$1")
sim_binary=$(realpath "$2")
source "$(dirname "$0")/wine-lib.sh"
wine_scratch wine

# A fresh program directory (the log lives beside the program) that is also the working
# directory, as an unattended caller on Windows would have it.
fresh() {
  dir=$scratch/run-$1
  mkdir -p "$dir"
  cp "$exe" "$dir/vrtqlx.exe"
  cd "$dir" || exit 1
}

run() {  # run <args…>: runs the program, keeps its exit code in $rc
  "$wine" ./vrtqlx.exe "$@" >out.txt 2>err.txt </dev/null
  rc=$?
}

finish_sim() {
  for _ in $(seq 200); do
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=
}

same_image() { cmp -s "$1" got.bin; }

"$wine" wineboot -i >/dev/null 2>&1

fresh tcp
head -c 300000 /dev/urandom >TQR-23_V1.00_120826.fls
start_sim tcp --port 0
port=${where##*:}
run -s -p NET 127.0.0.1 -tcpport "$port" -m TQR-23 -f TQR-23_V1.00_120826.fls
finish_sim
check "silent TCP download, byte for byte, exit 0" test "$rc" = 0
check "the simulator got the image" same_image TQR-23_V1.00_120826.fls

fresh ini
head -c 1000 /dev/urandom >TQR-23_V1.00_010120.fls
head -c 2000 /dev/urandom >TQR-23_V1.01_120826.fls
start_sim tcp --port 0
printf '[QLX]\r\nPORTTYPE=NET\r\nIP=127.0.0.1\r\nTCPPORT=%s\r\nMODELNAME=TQR-23\r\n' "${where##*:}" >vrtqlx.ini
run
finish_sim
check "settings-file job sends the newest date-stamped image" same_image TQR-23_V1.01_120826.fls

fresh serial
head -c 100000 /dev/urandom >TQR-23_V1.00_120826.fls
start_sim serial
ln -sf "$where" "$WINEPREFIX/dosdevices/com5"
QLX_COM5='\\.\COM5,nomodem' run -s -p COM5 -m TQR-23 -f TQR-23_V1.00_120826.fls
finish_sim
check "serial download over COM5 marked nomodem, byte for byte" same_image TQR-23_V1.00_120826.fls
# A printer of Wine's spooler on "COM5:": the download asks the spooler to pause it
# (OpenPrinter, SetPrinter), and goes on when Wine's spooler refuses.
# A second printer on the port is still tried when the first cannot be paused.
printers_key='HKLM\System\CurrentControlSet\Control\Print\Printers'
for name in Station Station2; do
  for value in "Name=$name" "Port=COM5:" "Printer Driver=VORTANE TQR-23" \
    "Print Processor=winprint" "Datatype=RAW"; do
    "$wine" reg add "$printers_key\\$name" /v "${value%%=*}" /d "${value#*=}" /f >/dev/null 2>&1
  done
done
start_sim serial
ln -sf "$where" "$WINEPREFIX/dosdevices/com5"
QLX_COM5='\\.\COM5,nomodem' WINEDEBUG=+winspool run -s -p COM5 -m TQR-23 -f TQR-23_V1.00_120826.fls
finish_sim
check "a printer on COM5: is opened and asked to pause" \
  bash -c "grep -q 'OpenPrinter2W (L\"Station\"' err.txt && grep -q 'SetPrinterW (' err.txt"
check "each refused pause is said and the download goes on, byte for byte" \
  bash -c "grep -q 'printer <Station> could not be paused' err.txt && \
           grep -q 'printer <Station2> could not be paused' err.txt && test $rc = 0 && \
           cmp -s TQR-23_V1.00_120826.fls got.bin"
for name in Station Station2; do "$wine" reg delete "$printers_key\\$name" /f >/dev/null 2>&1; done
start_sim serial
ln -sf "$where" "$WINEPREFIX/dosdevices/com5"
run -s -p COM5 -m TQR-23 -f TQR-23_V1.00_120826.fls
finish_sim
check "COM5 without the mark: Port Open Error, exit 2" \
  bash -c "test $rc = 2 && grep -q 'Port Open Error. Port=COM5' _VRT_QLX.txt"

# Firmware named by Windows absolute paths: a drive and a share (Wine maps
# \\server\share to dosdevices/unc/server/share).
fresh paths
mkdir -p "$WINEPREFIX/drive_c/fw" "$WINEPREFIX/dosdevices/unc/station"
head -c 5000 /dev/urandom >"$WINEPREFIX/drive_c/fw/x.fls"
ln -sfn "$WINEPREFIX/drive_c/fw" "$WINEPREFIX/dosdevices/unc/station/fw"
for name in 'C:\fw\x.fls' '\\station\fw\x.fls'; do
  start_sim tcp --port 0
  run -s -p NET 127.0.0.1 -tcpport "${where##*:}" -m TQR-23 -f "$name"
  finish_sim
  check "-f $name opens the file" bash -c "test $rc = 0 && cmp -s '$WINEPREFIX/drive_c/fw/x.fls' got.bin"
done

# Printers that stop reading, close or reset after 100000 bytes: never a success for bytes
# the printer did not take, and the reason is the system's own text. The printer is busy
# (stopped) until the program is connected and has handed over what the system would take,
# as under load: the whole image is then in the buffers before the printer stops, and
# without the connection's TCP figures (Wine) the printer's reset reads as a close.
busy_until_connected() {
  kill -STOP "$sim_pid"
  local hex
  hex=$(printf ':%04X ' "${where##*:}")
  for _ in $(seq 400); do
    awk -v p="$hex" 'index($2 " ", p) && $4 == "01" { found = 1 } END { exit !found }' \
      /proc/net/tcp && break
    sleep 0.05
  done
  sleep 0.5
  kill -CONT "$sim_pid"
}
fresh broken
head -c 300000 /dev/urandom >x.fls
for how in stop close reset; do
  start_sim tcp --port 0 "--$how-after" 100000
  busy_until_connected &
  run -s -p NET 127.0.0.1 -tcpport "${where##*:}" -m TQR-23 -f x.fls
  wait $!
  finish_sim
  check "a printer that does $how after 100000 bytes: exit 2, Write Failed!, no Unknown error" \
    bash -c "test $rc = 2 && grep -q 'Write Failed!' _VRT_QLX.txt && ! grep -q 'Unknown error' err.txt"
  grep -q 'Write Failed!' _VRT_QLX.txt 2>/dev/null && ! grep -q 'Unknown error' err.txt ||
    { echo "exit $rc"; tail -n 3 err.txt; }
  rm -f _VRT_QLX.txt
done
start_sim tcp --port 0 --slow 100000
run -s -p NET 127.0.0.1 -tcpport "${where##*:}" -m TQR-23 -f x.fls
finish_sim
check "a slow printer gets the whole image or the run fails" \
  bash -c "(test $rc = 0 && cmp -s x.fls got.bin) || (test $rc = 2 && grep -q 'Write Failed!' _VRT_QLX.txt)"

# Windows numbers USB serial adapters far past COM20.
fresh com23
head -c 20000 /dev/urandom >x.fls
start_sim serial
ln -sf "$where" "$WINEPREFIX/dosdevices/com23"
QLX_COM23='\\.\COM23,nomodem' run -s -p COM23 -m TQR-23 -f x.fls
finish_sim
check "serial download over COM23, byte for byte" bash -c "test $rc = 0 && cmp -s x.fls got.bin"

fresh invalid
run -s -p LPX1
check "invalid parameters: exit 1" test "$rc" = 1
check "log beside the .exe, byte-exact with CR LF" \
  bash -c "printf 'VORTANE QLX\r\n\r\n' | cmp -s - <(head -c 15 _VRT_QLX.txt) && \
           grep -aq \$'^\\[[0-9/:-]*\\]  Invalid parameters\r\$' _VRT_QLX.txt"

fresh refused
head -c 100 /dev/urandom >x.fls
run -s -p NET 127.0.0.1 -tcpport 1 -m TQR-23 -f x.fls
check "refused connection: exit 2 and its line" \
  bash -c "test $rc = 2 && grep -q 'Socket Connect Error! ip=127.0.0.1, tcpport=1' _VRT_QLX.txt"

fresh usb
run -s -p USB -m TQR-05 -f x.fls
check "USB job without a printer: exit 2 and its line" \
  bash -c "test $rc = 2 && grep -q 'Not connected Printer using usb<TQR-05>' _VRT_QLX.txt"

# A window program: no console opens beside its windows; a silent run started from a
# console still shows its reasons there. Explorer's version fields are in its resources.
fresh console
check "the PE header says the Windows subsystem" \
  bash -c "objdump -p '$exe' | grep -q 'Subsystem.*(Windows GUI)'"
check "file and product version, product name and icon in the resources" \
  bash -c "strings -el '$exe' | grep -qx 'VORTANE QLX Firmware Downloader' && \
           strings -el '$exe' | grep -q '^FileVersion' && strings -el '$exe' | grep -q '^ProductVersion' && \
           objdump -p '$exe' | grep -q 'Resource Directory \[.rsrc\]'"
"$wine" cmd /c 'vrtqlx.exe -s -p NET 127.0.0.1 -tcpport 1 -m TQR-23 -f x.fls' >console.txt 2>&1
check "a silent run from cmd /c shows its reason on the console" \
  grep -q 'Socket Connect Error! ip=127.0.0.1, tcpport=1' console.txt

# A caller is told however the program was started: the console of `start /wait` and of
# `cmd /c` (a terminal, so that Wine gives cmd a console), and exit 3 with the reason where
# no window can open.
for how in 'start /wait vrtqlx.exe' 'vrtqlx.exe'; do
  script -qec "$wine cmd /c '$how --version'" /dev/null >console.txt 2>&1 </dev/null
  check "--version reaches the console under cmd /c $how" grep -q 'vrtqlx [0-9]' console.txt
  script -qec "$wine cmd /c '$how --json -s -p NET 127.0.0.1 -tcpport 1 -m TQR-23 -f x.fls'" \
    /dev/null >console.txt 2>&1 </dev/null
  check "the JSON and the reason reach the console under cmd /c $how" \
    bash -c "grep -q '\"outcome\": \"failed\"' console.txt && grep -q 'Socket Connect Error' console.txt && \
             ! grep -q 'Unknown error' console.txt"
done
shown=${DISPLAY-}
unset DISPLAY WAYLAND_DISPLAY
run
[ -n "$shown" ] && export DISPLAY=$shown
check "a start with nothing to do and no display: exit 3 and why" \
  bash -c "test $rc = 3 && grep -q 'no display' err.txt"

# Safe as root on a shared machine. A settings file of another Unix user: Wine shows its
# owner as one fixed account, neither the user, Administrators nor SYSTEM.
fresh owner
head -c 100 /dev/urandom >x.fls
printf '[QLX]\r\nPORTTYPE=LPT1\r\nMODELNAME=TQR-23\r\nFWNAME=x.fls\r\n' >vrtqlx.ini
chown 65534:65534 vrtqlx.ini
run --json -s -p NET 127.0.0.1 -tcpport 1 -m TQR-23 -f x.fls
check "a vrtqlx.ini of another user is not used: the command line's job runs, with the warning" \
  bash -c "test $rc = 2 && grep -q 'Socket Connect Error! ip=127.0.0.1, tcpport=1' _VRT_QLX.txt && \
           grep -q '\"warnings\": \[\"vrtqlx.ini in .* belongs to .*: not used' out.txt"
run
check "a start with only that file: Invalid parameters, exit 1, and why" \
  bash -c "test $rc = 1 && grep -q 'vrtqlx.ini in .* belongs to .*: not used' err.txt"

# Standard handles closed at start, and no console or terminal at all: the run still ends
# by itself with its log line and exit code. (Started by the Wine loader with both its
# stdout and stderr closed, a window program never starts under Wine: that case is left out.)
fresh closed
head -c 100 /dev/urandom >x.fls
timeout 60 "$wine" ./vrtqlx.exe -s -p NET 127.0.0.1 -tcpport 1 -m TQR-23 -f x.fls <&- >&- 2>err.txt
rc=$?
check "standard input and output closed: exit 2 and the log line" \
  bash -c "test $rc = 2 && grep -q 'Socket Connect Error! ip=127.0.0.1, tcpport=1' _VRT_QLX.txt"
rm -f _VRT_QLX.txt
timeout 60 setsid "$wine" ./vrtqlx.exe -s -p NET 127.0.0.1 -tcpport 1 -m TQR-23 -f x.fls \
  </dev/null >/dev/null 2>&-
rc=$?
check "standard error closed, no console and no terminal: exit 2 and the log line" \
  bash -c "test $rc = 2 && grep -q 'Socket Connect Error! ip=127.0.0.1, tcpport=1' _VRT_QLX.txt"

# An image larger than all the machine's memory and swap (a sparse file) is refused before
# any printer of the port is touched.
fresh memory
room_kib=$(awk '/^(MemTotal|SwapTotal):/ { sum += $2 } END { print sum }' /proc/meminfo)
truncate -s "$((room_kib * 2048))" big.fls
for value in "Name=Station" "Port=COM5:" "Printer Driver=VORTANE TQR-23" \
  "Print Processor=winprint" "Datatype=RAW"; do
  "$wine" reg add "$printers_key\\Station" /v "${value%%=*}" /d "${value#*=}" /f >/dev/null 2>&1
done
QLX_COM5='\\.\COM5,nomodem' WINEDEBUG=+winspool run -s -p COM5 -m TQR-23 -f big.fls
"$wine" reg delete "$printers_key\\Station" /f >/dev/null 2>&1
check "an image larger than memory: File Open Error, exit 2, the reason, no printer opened" \
  bash -c "test $rc = 2 && grep -q 'File Open Error. filename=.*big.fls' _VRT_QLX.txt && \
           grep -q 'do not fit in the memory this run may use' err.txt && \
           ! grep -q 'OpenPrinter2W (L\"Station\"' err.txt"
rm -f big.fls

cd "$scratch" || exit 1
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
