#!/usr/bin/env bash
# `make run`: starts the printer simulator and runs the program against it. With a display,
# the operator's window opens (choose Ethernet, 127.0.0.1, port 9100, and the sample image
# it names). Without one, an unattended download of a sample image runs and its outcome is
# printed. Arguments, when given, are passed to the program instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}
case "$build" in /*) ;; *) build=$top/$build ;; esac
program=$build/vrtqlx
sim=$build/qlx-printer-sim

if [ $# -gt 0 ]; then
  exec "$program" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vrtqlx-demo.XXXXXX")
cleanup() {
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A sample firmware image of 256 KiB with a name the unattended discovery understands.
sample=$work/TQR-23_V1.00_120826.fls
head -c 262144 /dev/urandom > "$sample"

start_sim() {
  mkfifo "$work/sim.out"
  "$sim" tcp --port "$1" --out "$work/received.bin" > "$work/sim.out" &
  sim_pid=$!
  exec 3< "$work/sim.out"
  read -r ready address <&3
  [ "$ready" = ready ] || { echo "printer simulator did not start" >&2; exit 1; }
}

if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -z "${QLX_DEMO_SILENT:-}" ]; then
  start_sim 9100
  echo "printer simulator listening on $address"
  echo "sample image: $sample"
  (cd "$work" && "$program") || true
  kill "$sim_pid" 2>/dev/null || true
  read -r -t 10 summary <&3 || true
  echo "simulator: ${summary:-no transfer}"
  exit 0
fi

start_sim 0
port=${address##*:}
echo "printer simulator listening on $address"
echo "unattended download of $(basename "$sample") (262144 bytes) as TQR-23 over TCP..."
set +e
(cd "$work" && "$program" -s -p NET 127.0.0.1 -tcpport "$port" -m TQR-23 -f "$(basename "$sample")")
code=$?
set -e
# A download that never connected leaves the simulator waiting: stop it.
[ "$code" -eq 0 ] || kill "$sim_pid" 2>/dev/null || true
read -r -t 30 summary <&3 || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=
echo "simulator: $summary"
echo "exit code: $code"
if [ "$code" -eq 0 ] && cmp -s "$sample" "$work/received.bin"; then
  echo "outcome: the printer received the whole image, byte for byte"
else
  echo "outcome: download failed"
  exit 1
fi
