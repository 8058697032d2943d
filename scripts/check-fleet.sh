#!/usr/bin/env bash
# `make check`: the Ansible role packaging/ansible/roles/vrtqlx_firmware on stations of this
# machine (local connection, each with its own working directory and printer simulators):
# a preview with --check, a rollout in which two printers of one station have same-named
# images, a second run and a rerun after a stopped rollout (only what is left is sent), an
# unreachable station, an empty image, dry-run refusals in check mode and for real, and
# `--tags discover` on fake sysfs trees. Three lanes run side by side, each with its own
# simulators, stations and reports (the fleet's plays; the wave's; discovery), and
# ansible-lint beside them: most of a play is waiting on a printer or on one core. Runs as
# root on a machine without vrtqlx installed (the fleet's rollout installs it, the end
# purges it; the other lanes use the package's program unpacked into the scratch folder).
set -uo pipefail
# The rollout's install and the purge at the end would each have man-db index every manual
# page of the machine again (seconds of processor time) for one page that is gone again at
# the end: the check runs in a private mount namespace that hides man-db's auto-update flag.
source "$(dirname "$0")/private-mounts.sh"
if [ -d /var/lib/man-db ]; then
  rerun_with_private_mounts VRTQLX_FLEET_MOUNTS 'mount -t tmpfs -o size=1m none /var/lib/man-db || exit 1' \
    "$(realpath "$0")" "$@"
fi
build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package="$build/vrtqlx_${version}_amd64.deb"
source "$root/scripts/check-lib.sh"
if [ "$(id -u)" -ne 0 ] || dpkg-query -W vrtqlx >/dev/null 2>&1 || [ ! -f "$package" ]; then
  echo "fleet: needs root, $package and a machine without vrtqlx installed; 0 passed, 1 failed"
  exit 1
fi
start=$(date +%s.%N)
scratch=$(mktemp -d)
cleanup() {
  local running
  read -ra running <<<"$(jobs -p | tr '\n' ' ')"
  [ ${#running[@]} -gt 0 ] && kill "${running[@]}" 2>/dev/null
  wait 2>/dev/null
  dpkg --purge vrtqlx >/dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash "$root/scripts/lint-fleet.sh" >"$scratch/lint.log" 2>&1 &
lint=$!

# Ansible reads no configuration of this machine and leaves nothing in it.
mkdir -p "$scratch/ansible/tmp" "$scratch/ansible/remote" "$scratch/sim" "$scratch/stations" "$scratch/stations-check"
cat >"$scratch/ansible/ansible.cfg" <<CFG
[defaults]
home = $scratch/ansible
local_tmp = $scratch/ansible/tmp
remote_tmp = $scratch/ansible/remote
interpreter_python = /usr/bin/python3
forks = 5
gathering = explicit
# The controller waits on its workers in a loop: every millisecond (the default) costs a
# share of a core for the whole run.
internal_poll_interval = 0.02
callbacks_enabled =
retry_files_enabled = false
display_skipped_hosts = false
nocows = true
[connection]
pipelining = true
CFG
export ANSIBLE_CONFIG="$scratch/ansible/ansible.cfg" ANSIBLE_HOME="$scratch/ansible"
export ANSIBLE_LOCAL_TEMP="$scratch/ansible/tmp" ANSIBLE_REMOTE_TEMP="$scratch/ansible/remote"
export ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 DEBIAN_FRONTEND=noninteractive

# start_sim <name>: a printer simulator that takes one image; its port goes into
# port[<name>], what it received into $scratch/sim/<name>.bin. Every simulator is started
# before any port is left unused for a refusal, so that no simulator takes that port.
declare -A port sim
start_sim() {
  local out="$scratch/sim/$1" _
  : >"$out.txt"
  "$build/qlx-printer-sim" tcp --port 0 --out "$out.bin" >"$out.txt" 2>&1 &
  sim[$1]=$!
  for _ in $(seq 100); do
    port[$1]=$(sed -n 's/^ready 127\.0\.0\.1://p' "$out.txt")
    [ -n "${port[$1]}" ] && return 0
    sleep 0.05
  done
  echo "fleet: the printer simulator $1 did not start; 0 passed, 1 failed"
  exit 1
}
refuse() {  # refuse <name>: a port on which nobody listens
  start_sim "$1"
  kill "${sim[$1]}" && wait "${sim[$1]}" 2>/dev/null
}
image() {  # image <path> [bytes]: a firmware file of random bytes
  mkdir -p "$(dirname "$1")"
  head -c "${2:-$((40000 + RANDOM))}" /dev/urandom >"$1"
}
# received <sim> <file> [<sim> <file>]…: each simulator took its file byte for byte. The
# lanes are not the simulators' parent: a simulator says "received" once its peer closed.
received() {
  local _
  while [ $# -ge 2 ]; do
    for _ in $(seq 100); do
      grep -q '^received ' "$scratch/sim/$1.txt" && break
      sleep 0.05
    done
    cmp -s "$2" "$scratch/sim/$1.bin" || return 1
    shift 2
  done
}
nothing_sent() {  # nothing_sent <sim>…
  local s
  for s in "$@"; do [ -s "$scratch/sim/$s.bin" ] && return 1; done
  return 0
}
# inventory_head <name> [unpacked [more vars]]: printers' vars, its report is $scratch/<name>.csv.
# The lanes beside the fleet's install nothing: they run the package's program unpacked
# into the scratch folder, so that the fleet's preview still finds nothing installed.
inventory_head() {
  printf 'printers:\n  vars:\n    ansible_connection: local\n    vrtqlx_package_file: %s\n' "$package"
  [ "${2:-}" = unpacked ] && printf '    vrtqlx_install: false\n    vrtqlx_program: %s\n' "$program"
  [ -n "${3:-}" ] && printf '%s\n' "$3"
  printf '    vrtqlx_report_file: %s\n  hosts:\n' "$scratch/$1.csv"
}
stations=stations  # the folder of the stations' working directories under $scratch
station() {  # station <name>: a host with its own working directory; its printers follow
  printf '    %s:\n      vrtqlx_work_dir: %s\n' "$1" "$scratch/$stations/$1"
  printf '      vrtqlx_log_file: %s\n      vrtqlx_printers:\n' "$scratch/$stations/$1.log"
}
net_printer() {  # net_printer <sim> <file> [more]: a TQR-23 reached at that simulator's port
  printf '        - {name: %s, model: TQR-23, port: NET, address: 127.0.0.1, tcpport: %s, file: "%s"%s}\n' \
    "$1" "${port[$1]}" "$2" "${3:+, $3}"
}
# play <inventory name> [ansible-playbook options]: its exit status in $status, the rows of
# its report (host, printer, outcome, exit code, reason, SHA-256; tab-separated) in
# $scratch/<name>.rows.
play() {
  local name=$1
  shift
  ansible-playbook -i "$scratch/$name.yml" "$@" "$root/packaging/ansible/site.yml" \
    >"$scratch/$name.log" 2>&1
  status=$?
  /usr/bin/python3 -c 'import csv, sys
for r in csv.DictReader(open(sys.argv[1])):
    print("\t".join([r["host"], r["printer"], r["outcome"], r["exit_code"], r["reason"], r["sha256"]]))' \
    "$scratch/$name.csv" >"$scratch/$name.rows" 2>&1
}
rows() { cat "$scratch/$1.rows"; }  # rows <report>: of its last play
count() { grep -Ec "$2" <<<"$(rows "$1")"; }  # count <report> <row pattern>
sha() { sha256sum <"$1" | cut -d' ' -f1; }
same() {  # same <got> <wanted>: says both when they differ
  [ "$1" = "$2" ] && return 0
  printf 'got:\n%s\nwanted:\n%s\n' "$1" "$2"
  return 1
}
recap() { grep -Eq "^$2 +: .* $3" "$scratch/$1.log"; }  # recap <log> <host> <pattern>
installed() { dpkg-query -W -f='${Status}' vrtqlx 2>/dev/null | grep -q ' installed$'; }
# The program's --list and its dry run that refuses what the real run refuses came in
# together: without them those cases are not run and count neither way.
if timeout 10 "$build/vrtqlx" --list --json 2>/dev/null | grep -q '^{'; then
  has_list=1
else
  has_list=0
fi
dpkg-deb --extract "$package" "$scratch/unpacked"
program="$scratch/unpacked/usr/bin/vrtqlx"

# Fleet: one station with four printers, two of whose images have one name (two folders on
# the control machine), one of them allowed an empty image; they download side by side.
c="$scratch/control"
fw=TQR-23_V1.00_120826.fls
image "$c/hall-a/$fw"
image "$c/hall-b/$fw"
image "$c/hall-c/$fw"
image "$c/empty/$fw" 0
for s in refused ok1 late1 late2; do image "$c/$s/$fw"; done
for s in hall-a hall-b hall-c allowed-net ok1-net late1-net late2-net; do start_sim "$s"; done
refuse refused-net
port[empty-net]=${port[refused-net]}
{
  inventory_head fleet
  station station1
  net_printer hall-a "$c/hall-a/$fw"
  net_printer hall-b "$c/hall-b/$fw"
  net_printer hall-c "$c/hall-c/$fw"
  net_printer allowed-net "$c/empty/$fw" "allow_empty: true"
} >"$scratch/fleet.yml"
fleet_rows() {  # fleet_rows <outcome> <exit code>: the fleet's report as it should read
  printf 'station1\thall-a\t%s\t%s\t\t%s\n' "$1" "$2" "$(sha "$c/hall-a/$fw")"
  printf 'station1\thall-b\t%s\t%s\t\t%s\n' "$1" "$2" "$(sha "$c/hall-b/$fw")"
  printf 'station1\thall-c\t%s\t%s\t\t%s\n' "$1" "$2" "$(sha "$c/hall-c/$fw")"
  printf 'station1\tallowed-net\t%s\t%s\t\t%s\n' "$1" "$2" "$(sha "$c/empty/$fw")"
}

fleet_checks() {
  play fleet --check
  check "--check: the preview succeeds when every printer would download" test "$status" -eq 0
  check "--check: the report gives each printer's would-be outcome and image" \
    same "$(rows fleet)" "$(fleet_rows 'would download' 0)"
  left_nothing() {
    ! installed && [ ! -e "$scratch/stations/station1" ] &&
      nothing_sent hall-a hall-b hall-c
  }
  check "--check: nothing was installed, sent or left on the stations" left_nothing

  play fleet
  check "the rollout succeeds" test "$status" -eq 0
  check "the role installed the vrtqlx package" installed
  check "two same-named images of one station each reached their own printer byte for byte" \
    received hall-a "$c/hall-a/$fw" hall-b "$c/hall-b/$fw" hall-c "$c/hall-c/$fw"
  check "the report gives each printer downloaded with its image's SHA-256" \
    same "$(rows fleet)" "$(fleet_rows downloaded 0)"
  check "an empty image the printer allows is sent" received allowed-net "$c/empty/$fw"

  # The simulators are gone: a second download would fail.
  play fleet
  check "a second run succeeds" test "$status" -eq 0
  check "it reports every printer current" same "$(rows fleet)" "$(fleet_rows current '')"
  # Only the report on the control machine is written.
  unchanged() { ! grep -E '^changed: ' "$scratch/fleet.log" | grep -qv -- '-> localhost\]$'; }
  check "and changes nothing" unchanged
}

# A wave of five with an unreachable station and one whose printers fail (connection
# refused, an empty image, and the dry run's refusals: a COM port mapped to no device, TCP
# port 70000): two failures stop the rollout before the next wave. The rerun, once the
# station can be reached, sends only what is left. The preview has stations and a report of
# its own (stop-check) and runs beside the rollout: its dry runs open no port.
stop_inventory() {  # stop_inventory stopped|mended [name]; ok2 and ok3 only fill the wave; late is the next
  inventory_head "${2:-stop}" unpacked
  idle() { printf '    %s:\n      vrtqlx_work_dir: %s\n      vrtqlx_printers: []\n' "$1" "$scratch/$stations/$1"; }
  idle gone
  [ "$1" = mended ] || printf '      ansible_connection: ssh\n      ansible_host: 127.0.0.1\n      ansible_port: 1\n'
  station refused
  net_printer refused-net "$c/refused/$fw"
  net_printer empty-net "$c/empty/$fw"
  if [ "$has_list" = 1 ]; then
    printf '        - {name: com, model: TQR-23, port: COM1, baud: 115200, file: "%s"}\n' "$c/refused/$fw"
    printf '        - {name: badport, model: TQR-23, port: NET, address: 127.0.0.1, tcpport: 70000, file: "%s"}\n' \
      "$c/refused/$fw"
    printf '      vrtqlx_environment: {QLX_COM1: /nonexistent}\n'
  fi
  idle ok2
  # In the preview ok2 would install the package from its repositories (no package file).
  [ "${2:-}" = stop-check ] && printf '      vrtqlx_install: true\n      vrtqlx_package_file: ""\n'
  idle ok3
  station ok1
  net_printer ok1-net "$c/ok1/$fw"
  station late
  net_printer late1-net "$c/late1/$fw"
  net_printer late2-net "$c/late2/$fw"
}
refusal_rows() { rows "$1" | grep -E $'^refused\t(com|badport)\t' | cut -f 1-5; }  # refusal_rows <report>

stop_check_checks() {
  stations=stations-check
  stop_inventory stopped stop-check >"$scratch/stop-check.yml"
  play stop-check --check
  check "--check: stations with a printer that would fail, or unreachable, fail; no others" \
    same "$status $(recap stop-check gone 'failed=1 ' && recap stop-check refused 'failed=1 ' && recap stop-check ok1 'failed=0 ' &&
      recap stop-check ok2 'failed=0 ' && echo ok)" "2 ok"
  check "--check: the refused printer would download (the dry run opens no port), the empty image fails" \
    same "$(rows stop-check | grep -E $'^refused\t(refused|empty)-net\t' | cut -f 2-5 | tr '\t\n' '|;')" \
    'refused-net|would download|0|;empty-net|failed||empty image;'
  : >"$scratch/stop-check.done"
}

stop_checks() {
  stop_inventory stopped >"$scratch/stop.yml"
  play stop
  check "two failures in a wave of five, one of them an unreachable station, stop the rollout" \
    test "$status" -ne 0
  check "the unreachable station is reported with Ansible's reason" \
    grep -Eq $'^gone\t\tunreachable\t\t[^\t]*[a-z]' <<<"$(rows stop)"
  check "the refused printer failed with exit code 2 and the connect error with its reason" \
    grep -qx $'refused\trefused-net\tfailed\t2\tSocket Connect Error! ip=127.0.0.1, tcpport='"${port[refused-net]}"$' (connect: Connection refused)\t'"$(sha "$c/refused/$fw")" \
    <<<"$(rows stop)"
  check "the empty image failed with the reason \"empty image\"" \
    grep -qx $'refused\tempty-net\tfailed\t\tempty image\t'"$(sha "$c/empty/$fw")" <<<"$(rows stop)"
  check "Ansible failed that station with the program's reason" \
    grep -q "fatal: \[refused\]: FAILED.*Socket Connect Error! ip=127.0.0.1, tcpport=${port[refused-net]}.*Connection refused" \
    "$scratch/stop.log"
  check "the other printer of the wave downloaded" \
    test "$(count stop $'^ok1\tok1-net\tdownloaded\t0\t')" -eq 1
  check "the next wave is reported as not run" test "$(count stop $'^late\tlate[12]-net\tnot run\t')" -eq 2
  check "and its printers received nothing" nothing_sent late1-net late2-net
  cp "$scratch/stop.rows" "$scratch/stopped.rows"
  stop_inventory mended >"$scratch/stop.yml"
  play stop
  check "the rerun goes past the first wave (one failed station of five)" \
    same "$status $(recap stop refused 'failed=1 ' && recap stop ok1 'failed=0 ' && echo ok)" "2 ok"
  check "what had been downloaded is current" \
    test "$(count stop $'^ok1\tok1-net\tcurrent\t\t')" -eq 1
  check "only the rest was sent, byte for byte" \
    received late1-net "$c/late1/$fw" late2-net "$c/late2/$fw"
  if [ "$has_list" = 1 ]; then
    local previewed _
    for _ in $(seq 600); do
      [ -e "$scratch/stop-check.done" ] && break
      sleep 0.5
    done
    previewed=$(refusal_rows stop-check)
    # The same jobs run for real by the program itself, outside the role.
    real_refusal() {  # real_refusal <name> <job options>…: its row as the role gives it
      local name=$1
      shift
      (cd "$scratch" && QLX_COM1=/nonexistent CUPS_SERVER="$scratch/no-cups.sock" \
        "$program" --json --quiet --log "$scratch/real.log" -s "$@" -m TQR-23 -f "$c/refused/$fw" 2>>"$scratch/real.err") |
        /usr/bin/python3 -c 'import json, sys
r = json.load(sys.stdin)
print("\t".join(["refused", sys.argv[1], r["outcome"], str(r["exit_code"]), r["reason"]]))' "$name"
    }
    check "the dry run refuses an unmapped COM port and TCP port 70000, in check mode as for real" \
      same "$(grep -Ec $'\t(failed|invalid parameters)\t[12]\t.+' <<<"$previewed") $(refusal_rows stopped)" "2 $previewed"
    check "with the exit codes and reasons of the program's real runs" same "$previewed" \
      "$(real_refusal com -p COM1 -b 115200; real_refusal badport -p NET 127.0.0.1 -tcpport 70000)"
  else
    echo "NOT RUN  dry-run refusals against the real runs: the program has no --list"
  fi
}

# Discovery on stations with a fake sysfs tree holding one TQR-23 on USB.
discover_checks() {
  if [ "$has_list" = 0 ]; then
    echo "NOT RUN  --tags discover: the program has no --list"
    return
  fi
  local s t
  {
    inventory_head discover unpacked "$(printf '    vrtqlx_discovery_file: %s\n    vrtqlx_discovery_csv: %s' \
      "$scratch/stations.json" "$scratch/stations.csv")"
    for s in disc1 disc2; do
      t="$scratch/trees/$s"
      mkdir -p "$t/sys/bus/usb/devices/1-2/1-2:1.0/usbmisc/lp0" "$t/dev/usb"
      echo 7a3c >"$t/sys/bus/usb/devices/1-2/idVendor"
      echo 0117 >"$t/sys/bus/usb/devices/1-2/idProduct"
      : >"$t/dev/usb/lp0"
      station "$s"
      printf '        - {name: u, model: TQR-23, port: USB, file: "%s"}\n' "$c/fine/$fw"
      printf '      vrtqlx_environment: {QLX_SYSFS_ROOT: "%s", QLX_DEV_ROOT: "%s"}\n' "$t/sys" "$t/dev"
    done
  } >"$scratch/discover.yml"
  play discover --tags discover
  check "--tags discover: every station's printers are gathered into one report" /usr/bin/python3 -c '
import json, sys
found = json.load(open(sys.argv[1]))
assert sorted(found) == ["disc1", "disc2"], found
for host in found:
    usb = found[host]["usb"]
    assert [p["model"] for p in usb] == ["TQR-23"], found
    assert usb[0]["node"] == sys.argv[2] + "/trees/" + host + "/dev/usb/lp0", found
' "$scratch/stations.json" "$scratch"
  check "and into a CSV, one row per printer" \
    test "$(grep -c '^"disc[12]","usb","USB",".*/dev/usb/lp0","TQR-23",' "$scratch/stations.csv")" -eq 2
  check "and nothing else ran: no working directory, no rollout report" \
    same "$status $(ls "$scratch/stations/disc1" "$scratch/discover.csv" 2>/dev/null)" "0 "
}

# part <name>: the cases of <name>_checks, their lines into $scratch/<name>.out, their
# counts into $scratch/<name>.counts.
part() {
  passed=0 failed=0
  "$1_checks" >"$scratch/$1.out" 2>&1
  echo "$passed $failed" >"$scratch/$1.counts"
}
# Three lanes side by side; the parts' lines are shown in this order and their counts added.
# The fleet's plays and the wave's rollout each take most of a core, their waits on the
# printers aside: the preview and discovery have time to spare and yield to them.
( part fleet ) &
lanes=($!)
( renice -n 10 -p "$BASHPID" >/dev/null && part stop_check && part discover ) &
lanes+=($!)
( part stop ) &
lanes+=($!)
wait "${lanes[@]}" "$lint"
for name in fleet stop_check stop discover; do
  cat "$scratch/$name.out"
  read -r p f <"$scratch/$name.counts" 2>/dev/null || { p=0 f=1; echo "FAILED  the cases of $name ended early"; }
  passed=$((passed + p)) failed=$((failed + f))
done
check "ansible-lint passes the role and the playbook at the production profile" \
  grep -q '^Passed with production profile' "$scratch/lint.log"
if [ "$failed" -ne 0 ]; then
  tail -n 40 "$scratch"/*.log
fi
cleanup
trap - EXIT
check "purging leaves no vrtqlx package" bash -c '! dpkg-query -W vrtqlx >/dev/null 2>&1'
awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "fleet: %.1f s\n", e - s }'
echo "fleet: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
