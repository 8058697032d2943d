# shellcheck shell=sh
# The cases, in three lanes that run side by side (USB printers, the serial adapter, the
# UART and the parallel port), so that the slow ones overlap. Each prints one line
# "case NAME ok|FAIL DETAIL"; the UART and parallel cases print "hostcheck ..." lines,
# since what they sent lands in files on the host.
# shellcheck source=scripts/drivers-guest/guest-lib.sh
. /bin/guest-lib.sh

# Every COM and LPT name leads nowhere unless a case names its node: the guest's console
# is its first serial port, and no case may reach it.
for n in $(seq 20); do export "QLX_COM$n=/nonexistent/COM$n"; done
for n in 1 2 3; do export "QLX_LPT$n=/nonexistent/LPT$n"; done

setup_gadgets

lane_usb() {
  # Found through the real sysfs (no QLX_SYSFS_ROOT), written through usblp.
  prepare usb_tqr23_exact medium.bin
  start_printer usb_tqr23_exact gadget --path /dev/g_printer0
  run_program usb_tqr23_exact "" -p USB -m TQR-23 -f "$FIRMWARE"
  stop_printer usb_tqr23_exact
  exact usb_tqr23_exact medium.bin

  # Two printers of two models: the TQR-24 job reaches the TQR-24 only.
  prepare usb_two_models small.bin TQR-24_V1.00_120826.fls
  mkdir -p /tmp/c/usb_two_models_other
  start_printer usb_two_models gadget --path /dev/g_printer1
  start_printer usb_two_models_other gadget --path /dev/g_printer0
  run_program usb_two_models "" -p USB -m TQR-24 -f TQR-24_V1.00_120826.fls
  stop_printer usb_two_models
  stop_printer usb_two_models_other
  if [ "$(size_of /tmp/c/usb_two_models_other/got.bin)" != 0 ]; then
    verdict usb_two_models FAIL "the TQR-23 received" \
      "$(size_of /tmp/c/usb_two_models_other/got.bin) bytes"
  else
    exact usb_two_models small.bin
  fi

  # A printer that stops reading: the write stalls and fails at its 30 s limit.
  prepare usb_stalled large.bin TQR-24_V1.00_120826.fls
  start_printer usb_stalled gadget --path /dev/g_printer1 --stop-after 65536
  run_program usb_stalled "" -p USB -m TQR-24 -f TQR-24_V1.00_120826.fls &
  stalled=$!

  # Unplugged mid-download: the controller lets the gadget go.
  prepare usb_unplugged large.bin
  start_printer usb_unplugged gadget --path /dev/g_printer0 --slow 131072
  run_program usb_unplugged "" -p USB -m TQR-23 -f "$FIRMWARE" &
  unplugged=$!
  sleep 3
  unbound=$(now_cs)
  echo "" >/sys/kernel/config/usb_gadget/tqr23/UDC
  wait $unplugged
  # Counted from the unplugging: a few seconds at most.
  since=$(($(now_cs) - unbound))
  stop_printer usb_unplugged
  write_failed usb_unplugged large.bin 0 500 $since

  wait $stalled
  stop_printer usb_stalled
  write_failed usb_stalled large.bin 2900 4500
}

lane_acm() {
  com="QLX_COM1=/dev/ttyACM0"
  prepare acm_dtr_dsr_exact serial.bin
  start_printer acm_dtr_dsr_exact tty --path /dev/ttyGS0
  run_program acm_dtr_dsr_exact "$com" -p COM1 -b 115200 -m TQR-23 -f "$FIRMWARE"
  stop_printer acm_dtr_dsr_exact
  exact acm_dtr_dsr_exact serial.bin

  # DSR low for 4 s after 8 KiB: the run pauses and goes on. Only what the printer's side
  # held when it closed may be missing, as one run right after the first 8 KiB.
  prepare acm_dsr_drop small.bin
  start_printer acm_dsr_drop tty --path /dev/ttyGS0 --drop-dsr 8192,4
  run_program acm_dsr_drop "$com" -p COM1 -b 115200 -m TQR-23 -f "$FIRMWARE"
  stop_printer acm_dsr_drop
  dsr_drop_verdict acm_dsr_drop small.bin 8192

  # XON/XOFF, which only the operator's window offers, through the program's own port:
  # XOFF for 4 s after 16 KiB, then XON. The printer keeps reading meanwhile, so the
  # detail shows how much the line let through while XOFF was held.
  prepare acm_xon_xoff small.bin
  start_printer acm_xon_xoff tty --path /dev/ttyGS0 --xoff 16384,4
  run_in acm_xon_xoff "$com" qlx-port-write COM1 115200 xon-xoff "$FIRMWARE"
  stop_printer acm_xon_xoff
  during=$(sed -n 's/^xon after \([0-9]*\) bytes during xoff$/\1/p' /tmp/c/acm_xon_xoff/sim.out)
  if [ -n "$during" ]; then
    exact acm_xon_xoff small.bin "$during bytes arrived while XOFF was held"
  else
    verdict acm_xon_xoff FAIL "the printer never sent XOFF: $(tr '\n' ' ' </tmp/c/acm_xon_xoff/sim.out)"
  fi

  # A printer that keeps DSR up but stops reading.
  prepare acm_stalled serial.bin
  start_printer acm_stalled tty --path /dev/ttyGS0 --stop-after 8192
  run_program acm_stalled "$com" -p COM1 -b 115200 -m TQR-23 -f "$FIRMWARE"
  stop_printer acm_stalled
  write_failed acm_stalled serial.bin 2000 15000
}

# dsr_drop_verdict NAME IMAGE AFTER
dsr_drop_verdict() {
  d=/tmp/c/$1
  got=$(size_of "$d/got.bin")
  want=$(size_of "/images/$2")
  rest=$((got - $3))
  gap=$((want - got))
  head -c "$3" "$d/got.bin" >"$d/a"
  head -c "$3" "/images/$2" >"$d/b"
  tail -c "$rest" "$d/got.bin" >"$d/c"
  tail -c "$rest" "/images/$2" >"$d/e"
  detail="exit $(cat "$d/rc"), $got of $want bytes, $gap lost at the drop, $(($(cat "$d/took") / 100)) s"
  if [ "$(cat "$d/rc")" = 0 ] && [ ! -e "$d/prog/_VRT_QLX.txt" ] && [ "$rest" -gt 0 ] &&
    [ "$gap" -le 8192 ] && [ "$(cat "$d/took")" -ge 400 ] && grep -q '^dsr high' "$d/sim.out" &&
    cmp -s "$d/a" "$d/b" && cmp -s "$d/c" "$d/e"; then
    verdict "$1" ok "$detail"
  else
    verdict "$1" FAIL "$detail; stderr: $(tail -n 1 "$d/err")"
  fi
}

lane_legacy() {
  prepare uart_8250_exact serial.bin
  run_program uart_8250_exact QLX_COM2=/dev/ttyS1 -p COM2 -b 115200 -m TQR-23 -f "$FIRMWARE"
  hostcheck uart_8250_exact serial.bin ttyS1.bin

  prepare lp_parport_exact lpt.bin
  run_program lp_parport_exact QLX_LPT1=/dev/lp0 -p LPT1 -m TQR-23 -f "$FIRMWARE"
  hostcheck lp_parport_exact lpt.bin lpt.bin
}

lane_usb &
usb=$!
lane_acm &
acm=$!
lane_legacy
wait $usb
wait $acm
