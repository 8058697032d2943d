#!/usr/bin/env bash
# `make check`: the packages installed as an administrator would install them. The
# installed program logs to /var/log/vrtqlx as root and to the state directory as a user,
# adds each run to the system's log, brings its logrotate rule and bash completion;
# removing vrtqlx-gui leaves nothing behind; purging both leaves nothing at all. Runs only
# as root on a machine where neither package is installed already (it installs and purges).
set -uo pipefail
build=${1:-build}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
source "$(dirname "$0")/check-lib.sh"
if [ "$(id -u)" -ne 0 ] || dpkg-query -W vrtqlx >/dev/null 2>&1; then
  echo "installed: needs root and a machine without vrtqlx installed; 0 passed, 1 failed"
  exit 1
fi
scratch=$(mktemp -d)
purge() { dpkg --purge vrtqlx-gui vrtqlx >/dev/null 2>&1; rm -rf "$scratch"; }
trap purge EXIT
export DEBIAN_FRONTEND=noninteractive CUPS_SERVER=/nonexistent
dpkg -i "$build/vrtqlx_${version}_amd64.deb" "$build/vrtqlx-gui_${version}_amd64.deb" >/dev/null
check "both packages install" test -x /usr/bin/vrtqlx

cd "$scratch" || exit 1
/usr/bin/vrtqlx -s -p LPX1 2>/dev/null
check "as root the log goes to /var/log/vrtqlx" \
  grep -q 'Invalid parameters' /var/log/vrtqlx/_VRT_QLX.txt
check "and not beside the program" test ! -e /usr/bin/_VRT_QLX.txt
chmod 755 "$scratch"
mkdir -p "$scratch/user"
chown nobody "$scratch/user"
runuser -u nobody -- env XDG_STATE_HOME="$scratch/user" CUPS_SERVER=/nonexistent \
  /usr/bin/vrtqlx -s -p LPX1 2>/dev/null
check "as a user it goes to the state directory" \
  grep -q 'Invalid parameters' "$scratch/user/vrtqlx/_VRT_QLX.txt"

# The audit line: for one run a syslog socket of this check's own stands at /dev/log, in a
# private mount namespace.
sock=$scratch/log.sock
python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.bind(sys.argv[1])
s.settimeout(20)
print(s.recv(65536).decode(errors="replace"), flush=True)' "$sock" >"$scratch/syslog.txt" &
listener=$!
for _ in $(seq 100); do
  [ -S "$sock" ] && break
  sleep 0.05
done
made_log=
[ -e /dev/log ] || { touch /dev/log && made_log=1; }
unshare -m bash -c "mount --bind '$sock' /dev/log && /usr/bin/vrtqlx -s -p LPX1" 2>/dev/null
[ -n "$made_log" ] && rm -f /dev/log
wait "$listener"
check "a run adds its outcome, exit code and reason to the system's log" \
  grep -q 'vrtqlx\[[0-9]*\]: outcome="invalid parameters" exit_code=1 .* reason="Invalid parameters (-p LPX1' \
  "$scratch/syslog.txt"

check "the log's logrotate rule is a conffile that logrotate reads" \
  bash -c "dpkg-query -W -f='\${Conffiles}' vrtqlx | grep -q /etc/logrotate.d/vrtqlx && \
           logrotate -d /etc/logrotate.d/vrtqlx >/dev/null 2>&1"
check "bash completes the models and ports of both programs" \
  bash -c 'source /usr/share/bash-completion/completions/vrtqlx &&
           COMP_WORDS=(vrtqlx -s -m TQR-2) COMP_CWORD=3 && _vrtqlx && [[ " ${COMPREPLY[*]} " == *" TQR-23 "* ]] &&
           COMP_WORDS=(vrtqlx -s -p NE) COMP_CWORD=3 && _vrtqlx && [ "${COMPREPLY[*]}" = NET ] &&
           source /usr/share/bash-completion/completions/qlx-printer-sim &&
           COMP_WORDS=(qlx-printer-sim tcp --res) COMP_CWORD=2 && _qlx_printer_sim &&
           [ "${COMPREPLY[*]}" = --reset-after ]'

dpkg --remove vrtqlx-gui >/dev/null
check "removing vrtqlx-gui leaves nothing (no config-files state)" \
  bash -c "! dpkg-query -W -f='\${Status}' vrtqlx-gui 2>/dev/null | grep -Eq 'config-files| installed\$'"
dpkg --purge vrtqlx >/dev/null
check "purge leaves no package, no log and no file" \
  bash -c "! dpkg-query -W vrtqlx >/dev/null 2>&1 && test ! -e /var/log/vrtqlx && \
           test ! -e /usr/bin/vrtqlx && test ! -e /usr/lib/x86_64-linux-gnu/vrtqlx && \
           test ! -e /etc/logrotate.d/vrtqlx"
echo "installed: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
