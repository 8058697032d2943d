# What a stage of `make check` uses to say it cannot run; sourced, not run. The runner
# (check.sh) names a file in CHECK_NOT_RUN for each stage: a stage that writes its reason
# there is counted NOT RUN, not passed. Run on its own, the stage says it on standard error.

not_run() {  # not_run <reason>…: says why this stage does not run, and ends it
  echo "NOT RUN: $*" >&2
  [ -n "${CHECK_NOT_RUN:-}" ] && echo "$*" >"$CHECK_NOT_RUN"
  exit 0
}

# need_packages <package>…: ends the stage as NOT RUN when one of them is not installed,
# with the reason install-deps.sh recorded for it.
need_packages() {
  local p why report
  report="$(dirname "${BASH_SOURCE[0]}")/../deps-missing.txt"
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' && continue
    why=$(awk -F'\t' -v p="$p" '$1 == p { print $2 }' "$report" 2>/dev/null)
    not_run "$p is not installed${why:+ (apt: $why)}"
  done
}

need_files() {  # need_files <file>…: ends the stage as NOT RUN when one is missing
  local f
  for f in "$@"; do
    [ -e "$f" ] || not_run "$f was not built"
  done
}
