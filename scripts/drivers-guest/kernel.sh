#!/usr/bin/env bash
# Fetches Debian's own kernel package once and unpacks it under the build tree (never
# installing it on this machine), then resolves the modules the guest needs.
# Usage: kernel.sh CACHE_DIR  -> prints the unpacked tree's directory on standard output.
set -euo pipefail

cache=$1
mkdir -p "$cache"

# The kernel the metapackage currently names; a tree unpacked before is used as it is.
package=$(apt-cache depends linux-image-amd64 2>/dev/null |
  awk '/Depends: linux-image-[0-9].*-amd64/ { print $2; exit }')
if [ -z "$package" ]; then
  package=$(apt-cache search --names-only '^linux-image-6\.1\.0-[0-9]+-amd64$' |
    awk '{ print $1 }' | sort -V | tail -n 1)
fi
if [ -z "$package" ]; then
  # apt knows no kernel (offline, lists gone): a tree unpacked before still serves.
  tree=$(find "$cache" -mindepth 2 -maxdepth 2 -name .unpacked -printf '%h\n' 2>/dev/null |
    sort -V | tail -n 1)
  [ -n "$tree" ] || { echo "kernel: no linux-image-*-amd64 package known to apt" >&2; exit 1; }
  echo "$tree"
  exit 0
fi
tree=$cache/$package
if [ ! -f "$tree/.unpacked" ]; then
  echo "kernel: fetching $package" >&2
  download=$(mktemp -d "$cache/download.XXXXXX")
  if ! (cd "$download" && apt-get download "$package" >/dev/null 2>&1); then
    # The lists name a version the mirror no longer has: refresh them once.
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    (cd "$download" && apt-get download "$package" >/dev/null)
  fi
  rm -rf "$tree"
  dpkg -x "$download"/"$package"_*.deb "$tree"
  rm -rf "$download"
  version=$(basename "$(find "$tree/lib/modules" -mindepth 1 -maxdepth 1 -type d | head -n 1)")
  depmod -b "$tree" "$version"
  touch "$tree/.unpacked"
fi
echo "$tree"
