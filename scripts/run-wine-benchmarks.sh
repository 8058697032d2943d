#!/usr/bin/env bash
# Benchmarks of the Windows program under wine64 against the Linux printer simulator:
#   run-wine-benchmarks.sh <build-win> <qlx-printer-sim>
set -euo pipefail
source "$(dirname "$0")/private-mounts.sh"
rerun_with_devices_hidden "$(realpath "$0")" "$@"
win=$(realpath "$1")
sim=$(realpath "$2")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vrtqlx-wine-bench.XXXXXX")
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all
pids=()
cleanup() {
  kill "${pids[@]}" 2>/dev/null || true
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT
ports=()
for name in plain1 download1 plain2 download2 plain3 download3; do
  "$sim" tcp --port 0 --out "$scratch/$name.bin" >"$scratch/$name.txt" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do grep -q '^ready ' "$scratch/$name.txt" && break; sleep 0.05; done
  ports+=("$(sed -n 's/^ready .*://p' "$scratch/$name.txt")")
done
echo "== bench_tcp_send (wine64)"
/usr/lib/wine/wine64 "$win/bench_tcp_send.exe" "${ports[@]}"
