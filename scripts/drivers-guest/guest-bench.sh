# shellcheck shell=sh
# Download speed through usblp and cdc_acm: the program against a plain write() loop (dd)
# to the same node, each timed by the printer from its first byte to its last. Prints
# "bench NAME loop S s program S s ratio R".
# shellcheck source=scripts/drivers-guest/guest-lib.sh
. /bin/guest-lib.sh

setup_gadgets

# seconds NAME: the printer's own time for what it received.
seconds() { sed -n 's/^received .* in \([0-9.]*\) s$/\1/p' "/tmp/c/$1/sim.out"; }

# bench NAME IMAGE SIM_ARGS NODE VARS ARGUMENTS...: the loop, then the program.
bench() {
  name=$1
  image=$2
  sim=$3
  node=$4
  variables=$5
  shift 5
  prepare "$name-loop" "$image"
  # shellcheck disable=SC2086 # the simulator's arguments, one word each
  start_printer "$name-loop" $sim
  [ -c "$node" ] && case $node in /dev/tty*) stty -F "$node" raw -echo ;; esac
  dd if="/images/$image" of="$node" bs=4096 2>/dev/null
  sleep 1
  stop_printer "$name-loop"
  prepare "$name" "$image"
  # shellcheck disable=SC2086
  start_printer "$name" $sim
  run_program "$name" "$variables" "$@"
  stop_printer "$name"
  exact "$name" "$image"
  loop=$(seconds "$name-loop")
  program=$(seconds "$name")
  echo "bench $name loop $loop s program $program s ratio" \
    "$(awk -v l="$loop" -v p="$program" 'BEGIN { if (p > 0) printf "%.2f", l / p; else print "none" }')"
}

bench usblp large.bin "gadget --path /dev/g_printer0" /dev/usb/lp0 "" \
  -p USB -m TQR-23 -f "$FIRMWARE"
bench cdc_acm medium.bin "tty --path /dev/ttyGS0" /dev/ttyACM0 "QLX_COM1=/dev/ttyACM0" \
  -p COM1 -b 115200 -m TQR-23 -f "$FIRMWARE"
# The same line without DSR pacing (as a line without modem status is driven).
bench cdc_acm_nomodem medium.bin "tty --path /dev/ttyGS0" /dev/ttyACM0 \
  "QLX_COM1=/dev/ttyACM0,nomodem" -p COM1 -b 115200 -m TQR-23 -f "$FIRMWARE"
