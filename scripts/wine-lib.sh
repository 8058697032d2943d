# What the scripts that run the Windows program under Wine share; sourced, not run. WINE
# names the loader: wine64 by default, /usr/lib/wine/wine for the 32-bit program.
# wine_scratch TAG makes a scratch directory with its own WINEPREFIX and sets the cleanup;
# start_private_x gives it a virtual X server; start_sim runs the Linux printer simulator in
# the current directory; check (check-lib.sh) counts the outcome of one case.

source "$(dirname "${BASH_SOURCE[0]}")/check-lib.sh"
wine=${WINE:-/usr/lib/wine/wine64}
sim_pid=
xvfb_pid=
program_pid=

wine_cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  "${wine%/*}/wineserver" -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
  return 0
}

wine_scratch() {  # wine_scratch <tag>
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/vrtqlx-$1.XXXXXX")
  export WINEPREFIX=$scratch/prefix WINEDEBUG=-all
  trap wine_cleanup EXIT
  mkdir -p "$WINEPREFIX"
}

# A private X server on the first free display number, which it reports itself.
start_private_x() {
  exec 9>"$scratch/display"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.05
  done
  export DISPLAY=:$(head -n 1 "$scratch/display")
}

# Starts the simulator (`sim_binary`) in the given mode, writing what it receives to
# got.bin; its ready line names where it is ($where).
start_sim() {
  "$sim_binary" "$@" --out got.bin >sim.txt 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q '^ready ' sim.txt 2>/dev/null && break
    sleep 0.05
  done
  where=$(sed -n 's/^ready //p' sim.txt)
}

