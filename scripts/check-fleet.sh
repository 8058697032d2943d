#!/usr/bin/env bash
# `make check`: the Ansible role packaging/ansible/roles/vrtqlx_firmware rolls the vrtqlx
# package and firmware out to 20 stations on this machine (local connection, each with its
# own working directory and printer simulator), in waves of five. All images arrive byte
# for byte except at the one station whose printer refuses connections, which is reported
# with its reason while the others finish; two failures in a wave stop the rollout. Runs
# as root on a machine without vrtqlx installed (the role installs it, the end purges it).
set -uo pipefail
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
sims=()
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

# Ansible reads no configuration of this machine and leaves nothing in it.
mkdir -p "$scratch/ansible/tmp" "$scratch/ansible/remote"
cat >"$scratch/ansible/ansible.cfg" <<CFG
[defaults]
home = $scratch/ansible
local_tmp = $scratch/ansible/tmp
remote_tmp = $scratch/ansible/remote
interpreter_python = /usr/bin/python3
forks = 5
retry_files_enabled = false
display_skipped_hosts = false
nocows = true
[connection]
pipelining = true
CFG
export ANSIBLE_CONFIG="$scratch/ansible/ansible.cfg" ANSIBLE_HOME="$scratch/ansible"
export ANSIBLE_LOCAL_TEMP="$scratch/ansible/tmp" ANSIBLE_REMOTE_TEMP="$scratch/ansible/remote"
export ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 DEBIAN_FRONTEND=noninteractive

# start_sim <name>: a printer simulator for a station; its port goes into port[<name>].
declare -A port
start_sim() {
  local out="$scratch/sim/$1" _
  : >"$out.txt"
  "$build/qlx-printer-sim" tcp --port 0 --out "$out.bin" >"$out.txt" 2>&1 &
  sims+=($!)
  for _ in $(seq 100); do
    port[$1]=$(sed -n 's/^ready 127\.0\.0\.1://p' "$out.txt")
    [ -n "${port[$1]}" ] && return 0
    sleep 0.05
  done
  return 1
}
# write_station <inventory> <name> [refused]: a station with one TQR-23 on NET; with
# "refused" its simulator is stopped again, so that nobody listens on its port.
write_station() {
  local dir="$scratch/control/$2"
  mkdir -p "$dir" "$scratch/stations/$2"
  head -c $((40000 + RANDOM)) /dev/urandom >"$dir/TQR-23_V1.00_120826.fls"
  start_sim "$2" || return 1
  if [ "${3:-}" = refused ]; then
    kill "${sims[-1]}" && wait "${sims[-1]}" 2>/dev/null
  fi
  cat >>"$1" <<HOST
    $2:
      vrtqlx_work_dir: $scratch/stations/$2
      vrtqlx_log_file: $scratch/stations/$2/vrtqlx.log
      vrtqlx_printers:
        - name: $2-net
          model: TQR-23
          port: NET
          address: 127.0.0.1
          tcpport: ${port[$2]}
          file: $dir/TQR-23_V1.00_120826.fls
HOST
}
write_inventory_head() {  # write_inventory_head <inventory> <report>
  cat >"$1" <<INV
printers:
  vars:
    ansible_connection: local
    vrtqlx_package_file: $package
    vrtqlx_report_file: $2
  hosts:
INV
}
# Rows of a report: host, outcome, exit code, reason (tab-separated), one a line.
report_rows() {
  python3 -c 'import csv, sys
for r in csv.DictReader(open(sys.argv[1])):
    print("\t".join([r["host"], r["outcome"], r["exit_code"], r["reason"]]))' "$1"
}
mkdir -p "$scratch/sim"

# The rollout: 20 stations, the 7th one's printer refuses connections.
inventory="$scratch/fleet.yml"
report="$scratch/report.csv"
write_inventory_head "$inventory" "$report"
for n in $(seq -w 1 20); do
  write_station "$inventory" "station$n" "$([ "$n" = 07 ] && echo refused)" || {
    echo "fleet: a printer simulator did not start; 0 passed, 1 failed"
    exit 1
  }
done
ansible-playbook -i "$inventory" "$root/packaging/ansible/site.yml" >"$scratch/fleet.log" 2>&1
status=$?
check "the rollout ends with one failed station (exit code 2)" test "$status" -eq 2
check "the role installed the vrtqlx package" \
  bash -c "dpkg-query -W -f='\${Status}' vrtqlx 2>/dev/null | grep -q ' installed\$'"
arrived=0
for n in $(seq -w 1 20); do
  [ "$n" = 07 ] && continue
  wait "${sims[$((10#$n - 1))]}" 2>/dev/null
  cmp -s "$scratch/control/station$n/TQR-23_V1.00_120826.fls" "$scratch/sim/station$n.bin" &&
    arrived=$((arrived + 1))
done
check "19 images arrived byte for byte" test "$arrived" -eq 19
rows=$(report_rows "$report" 2>&1)
check "the report lists all 20 stations" test "$(grep -c . <<<"$rows")" -eq 20
check "19 of them downloaded" test "$(grep -c $'\tdownloaded\t0\t' <<<"$rows")" -eq 19
check "the refused one failed with exit code 2 and the connect error and its reason" \
  grep -qx $'station07\tfailed\t2\tSocket Connect Error! ip=127.0.0.1, tcpport='"${port[station07]}"' (connect: Connection refused)' <<<"$rows"
check "Ansible failed that station with the program's reason" \
  grep -q "fatal: \[station07\]: FAILED.*Socket Connect Error! ip=127.0.0.1, tcpport=${port[station07]}.*Connection refused" \
  "$scratch/fleet.log"
check "and only that station" \
  grep -Eq '^station07 +: .*failed=1' "$scratch/fleet.log"

# Two refusing printers in a wave of five (40 %) stop the rollout before the next wave.
inventory="$scratch/stop.yml"
report="$scratch/stop.csv"
write_inventory_head "$inventory" "$report"
for n in 1 2; do write_station "$inventory" "refused$n" refused; done
for n in 1 2 3; do
  printf '    idle%s:\n      vrtqlx_work_dir: %s\n      vrtqlx_printers: []\n' "$n" "$scratch/stations/idle$n" >>"$inventory"
done
for n in 1 2; do write_station "$inventory" "late$n"; done
ansible-playbook -i "$inventory" "$root/packaging/ansible/site.yml" >"$scratch/stop.log" 2>&1
status=$?
rows=$(report_rows "$report" 2>&1)
check "two failures in a wave of five stop the rollout" test "$status" -ne 0
check "the next wave is reported as not run" \
  test "$(grep -Ec $'^late[12]\tnot run\t' <<<"$rows")" -eq 2
check "and its printers received nothing" \
  test ! -s "$scratch/sim/late1.bin" -a ! -s "$scratch/sim/late2.bin"

if [ "$failed" -ne 0 ]; then
  tail -n 40 "$scratch/fleet.log" "$scratch/stop.log"
fi
cleanup
trap - EXIT
check "purging leaves no vrtqlx package" bash -c '! dpkg-query -W vrtqlx >/dev/null 2>&1'
awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "fleet: %.1f s\n", e - s }'
echo "fleet: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
