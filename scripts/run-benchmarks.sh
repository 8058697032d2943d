#!/usr/bin/env bash
# Runs every benchmark program of the build, one after the other. Each checks that its work
# happened (the bytes arrived, the queues moved); one that could not fails the run, after
# the others have had their turn.
set -uo pipefail
build=${1:-build}
failed=()
for bench in "$build"/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" || failed+=("$(basename "$bench")")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "benchmarks whose work did not happen: ${failed[*]}" >&2
  exit 1
fi
