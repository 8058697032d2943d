#!/usr/bin/env bash
# ansible-lint at the production profile on the fleet role and its playbook, offline: no
# Galaxy, no network, its caches in a scratch folder that is removed afterwards.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cat >"$scratch/ansible-lint.yml" <<CFG
profile: production
offline: true
CFG
cd "$root/packaging/ansible" &&
  HOME="$scratch" XDG_CACHE_HOME="$scratch/cache" ANSIBLE_HOME="$scratch/ansible" \
    ANSIBLE_LOCAL_TEMP="$scratch/ansible/tmp" NO_COLOR=1 \
    ansible-lint --nocolor --offline -c "$scratch/ansible-lint.yml" site.yml roles/vrtqlx_firmware
