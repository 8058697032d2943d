# shellcheck shell=sh
# Helpers of the guest's cases (sourced by busybox sh). Every case works in /tmp/c/NAME:
# prog/ holds the program (its log file _VRT_QLX.txt lands there), work/ the firmware
# file, got.bin what the simulated printer received.

FIRMWARE=TQR-23_V1.00_120826.fls

now_cs() { awk '{ printf "%d", $1 * 100 }' /proc/uptime; }

# verdict NAME ok|FAIL DETAIL...
verdict() {
  name=$1
  shift
  echo "case $name $*"
}

# prepare NAME IMAGE [FIRMWARE_NAME]
prepare() {
  d=/tmp/c/$1
  mkdir -p "$d/prog" "$d/work"
  ln /bin/vrtqlx "$d/prog/vrtqlx"
  cp "/images/$2" "$d/work/${3:-$FIRMWARE}"
  echo "expect $1"
}

# start_printer NAME [SIM ARGUMENTS...]: waits up to 10 s for its ready line.
start_printer() {
  d=/tmp/c/$1
  shift
  qlx-printer-sim "$@" --out "$d/got.bin" >"$d/sim.out" 2>&1 &
  echo $! >"$d/sim.pid"
  for _ in $(seq 100); do
    grep -q '^ready' "$d/sim.out" && return 0
    sleep 0.1
  done
  return 1
}

# stop_printer NAME: it takes what is still arriving, then prints its summary.
stop_printer() {
  d=/tmp/c/$1
  pid=$(cat "$d/sim.pid")
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  touch "$d/got.bin"
}

# run_in NAME "VAR=VALUE ..." COMMAND ARGUMENTS...: runs in the case's work directory with
# those variables; exit code in rc, hundredths of seconds in took.
run_in() {
  d=/tmp/c/$1
  variables=$2
  shift 2
  start=$(now_cs)
  date +%H:%M:%S >"$d/clock"
  # A run that hangs fails its case instead of holding up the guest.
  # shellcheck disable=SC2086 # one word per variable
  (cd "$d/work" && timeout 240 env $variables "$@") >"$d/out" 2>"$d/err"
  echo $? >"$d/rc"
  echo $(($(now_cs) - start)) >"$d/took"
}

# run_program NAME "VAR=VALUE ..." ARGUMENTS...: an unattended run of the case's program.
run_program() {
  name=$1
  variables=$2
  shift 2
  run_in "$name" "$variables" "/tmp/c/$name/prog/vrtqlx" -s "$@"
}

# logged_after NAME: seconds from the run's start to its log line's time stamp.
logged_after() {
  d=/tmp/c/$1
  stamp=$(sed -n 's/^\[[0-9/]*-\([0-9:]*\)\].*/\1/p' "$d/prog/_VRT_QLX.txt" | head -n 1)
  echo "$(cat "$d/clock") $stamp" | awk '{
    split($1, a, ":"); split($2, b, ":")
    print (b[1] * 3600 + b[2] * 60 + b[3]) - (a[1] * 3600 + a[2] * 60 + a[3]) }'
}

size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

# exact NAME IMAGE [NOTE]: the whole image arrived byte for byte, the run said so (exit
# code 0) and logged nothing.
exact() {
  d=/tmp/c/$1
  rc=$(cat "$d/rc")
  if [ "$rc" = 0 ] && cmp -s "$d/got.bin" "/images/$2" && [ ! -e "$d/prog/_VRT_QLX.txt" ]; then
    verdict "$1" ok "$(size_of "$d/got.bin") bytes exact, run $(cat "$d/took")0 ms," \
      "first to last byte $(sed -n 's/^received .* in \([0-9.]*\) s$/\1/p' "$d/sim.out") s${3:+; $3}"
  else
    verdict "$1" FAIL "exit $rc, $(size_of "$d/got.bin") of $(size_of "/images/$2") bytes," \
      "log: $(tr -d '\r' <"$d/prog/_VRT_QLX.txt" 2>/dev/null | tail -n 1)" \
      "stderr: $(tail -n 1 "$d/err")"
  fi
}

# write_failed NAME IMAGE MIN_CS MAX_CS [ELAPSED_CS]: the run ended with "Write Failed!" and
# exit code 2 within the time window (its whole run unless ELAPSED_CS says otherwise), and
# the printer did not get the whole image.
write_failed() {
  d=/tmp/c/$1
  rc=$(cat "$d/rc")
  took=${5:-$(cat "$d/took")}
  logged=no
  grep -q ']  Write Failed!' "$d/prog/_VRT_QLX.txt" 2>/dev/null && logged=yes
  detail="exit $rc, logged $logged, $((took / 100)).$((took % 100 / 10)) s,"
  detail="$detail $(size_of "$d/got.bin") of $(size_of "/images/$2") bytes"
  after=0
  if [ $logged = yes ]; then
    after=$(logged_after "$1")
    detail="$detail, logged after $after s"
  fi
  # The run is gone within a second of its log line (the clock reads whole seconds).
  if [ "$rc" = 2 ] && [ $logged = yes ] && [ "$took" -ge "$3" ] && [ "$took" -le "$4" ] &&
    [ $((took / 100)) -le $((after + 1)) ] &&
    [ "$(size_of "$d/got.bin")" -lt "$(size_of "/images/$2")" ]; then
    verdict "$1" ok "$detail"
  else
    verdict "$1" FAIL "$detail; stderr: $(tail -n 1 "$d/err")"
  fi
}

# A gadget with one function on one emulated controller.
# gadget NAME VENDOR PRODUCT FUNCTION UDC
gadget() {
  g=/sys/kernel/config/usb_gadget/$1
  mkdir -p "$g/strings/0x409" "$g/configs/c.1" "$g/functions/$4"
  echo "$2" >"$g/idVendor"
  echo "$3" >"$g/idProduct"
  echo "QLX test printer" >"$g/strings/0x409/product"
  echo "$1" >"$g/strings/0x409/serialnumber"
  case $4 in
    printer.*) echo "MFG:QLX;MDL:$1;CMD:QLX;CLS:PRINTER;" >"$g/functions/$4/pnp_string" ;;
  esac
  ln -s "$g/functions/$4" "$g/configs/c.1/"
  echo "$5" >"$g/UDC"
}

# TQR-23 and TQR-24 printers, then the serial adapter; each on its own controller.
setup_gadgets() {
  gadget tqr23 0x7a3c 0x0117 printer.0 dummy_udc.0
  gadget tqr24 0x7a3c 0x0118 printer.1 dummy_udc.1
  gadget adapter 0x1d6b 0x0104 acm.GS0 dummy_udc.2
  for node in /dev/usb/lp0 /dev/usb/lp1 /dev/g_printer0 /dev/g_printer1 /dev/ttyACM0 \
    /dev/ttyGS0 /dev/ttyS1 /dev/lp0; do
    wait_for "$node" || echo "case setup FAIL $node did not appear"
  done
}

# wait_for PATH: up to 10 s for a node or sysfs entry to appear.
wait_for() {
  for _ in $(seq 100); do
    [ -e "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# hostcheck NAME IMAGE HOST_FILE: what went out ends in a file on the host, which compares.
hostcheck() {
  d=/tmp/c/$1
  logged=no
  [ -e "$d/prog/_VRT_QLX.txt" ] && logged=yes
  echo "hostcheck $1 $2 $3 $(cat "$d/rc") $logged"
}
