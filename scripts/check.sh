#!/usr/bin/env bash
# Runs stages of the checks, each a make target, every one to its end whatever the others
# did, and closes with one table: passed, FAILED, or NOT RUN with the reason the stage gave
# (a package the machine could not install, a program not built), and each stage's time.
# Stages joined by "+" ("check-fleet+test-asan") run side by side, each into its own log,
# which is shown when it ends: a stage that mostly waits then costs no time of its own.
# Exit 1 when a stage failed; with STRICT=1 also when one did not run.
# Usage: check.sh <stage>[+<stage>…]…
set -uo pipefail
cd "$(dirname "$0")/.."
notes=$(mktemp -d)
trap 'kill 0 2>/dev/null; rm -rf "$notes"' INT TERM
trap 'rm -rf "$notes"' EXIT

# One install for every stage; the stages' own install steps then have nothing to do.
if [ -z "${VRTQLX_DEPS_CHECKED:-}" ]; then
  bash scripts/install-deps.sh "${DEPS_GROUP:-check}" || exit 1
  export VRTQLX_DEPS_CHECKED=1
fi

clock() { printf '%d:%02d' $(($1 / 60)) $(($1 % 60)); }

run_stage() {  # run_stage <stage>: its exit code in $notes/<stage>.rc, its time in .time
  local t0=$SECONDS
  CHECK_NOT_RUN=$notes/$1.why make --no-print-directory "$1"
  echo $? >"$notes/$1.rc"
  echo $((SECONDS - t0)) >"$notes/$1.time"
}

began=$SECONDS
rows=()
passed=0 failed=0 not_run=0
for step in "$@"; do
  IFS=+ read -r -a side_by_side <<<"$step"
  if [ ${#side_by_side[@]} -eq 1 ]; then
    echo "==== $step"
    run_stage "$step"
  else
    echo "==== ${side_by_side[*]} (side by side; each one's output when it ends)"
    for stage in "${side_by_side[@]}"; do
      (
        run_stage "$stage" >"$notes/$stage.log" 2>&1
        echo "==== $stage"
        cat "$notes/$stage.log"
      ) &
    done
    wait
  fi
  for stage in "${side_by_side[@]}"; do
    took=$(clock "$(cat "$notes/$stage.time")")
    if [ "$(cat "$notes/$stage.rc")" -ne 0 ]; then
      rows+=("$(printf '%-26s %-8s %6s' "$stage" FAILED "$took")")
      failed=$((failed + 1))
    elif [ -s "$notes/$stage.why" ]; then
      rows+=("$(printf '%-26s %-8s %6s  %s' "$stage" "NOT RUN" "$took" "$(head -c 300 "$notes/$stage.why")")")
      not_run=$((not_run + 1))
    else
      rows+=("$(printf '%-26s %-8s %6s' "$stage" passed "$took")")
      passed=$((passed + 1))
    fi
  done
done

echo
echo "==== summary: $(clock $((SECONDS - began))) in all"
printf '%s\n' "${rows[@]}"
if [ "$not_run" -gt 0 ]; then
  if [ "${STRICT:-0}" = 1 ]; then
    echo "STRICT=1: $not_run stage(s) NOT RUN count as failed"
    failed=$((failed + not_run)) not_run=0
  else
    echo "$not_run stage(s) NOT RUN on this machine (STRICT=1 makes that a failure)"
  fi
fi
echo "stages: $passed passed, $failed failed, $not_run skipped"
[ "$failed" -eq 0 ]
