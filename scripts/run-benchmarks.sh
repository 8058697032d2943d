#!/usr/bin/env bash
# Runs every benchmark program of the build, one after the other.
set -euo pipefail
build=${1:-build}
for bench in "$build"/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench"
done
