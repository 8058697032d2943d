#!/usr/bin/env bash
# Runs the program against the real Linux drivers: boots Debian's kernel in a QEMU guest
# (TCG, no KVM) with a small initramfs holding the program, the printer simulator and the
# cases, and checks what reached the printers.
# Usage: run.sh BUILD_DIR [--bench]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mode=${2:-cases}
work=$build/drivers-guest
run=$work/run
started=$(date +%s)

# The drivers the cases go through, and the gadget side that plays the printers. A module
# the kernel package lacks fails the stage.
modules=(configfs usblp cdc_acm lp parport_pc dummy_hcd libcomposite usb_f_printer usb_f_acm)
builtins=(8250)

tree=$(bash "$here/kernel.sh" "$work/kernel")
version=$(basename "$(find "$tree/lib/modules" -mindepth 1 -maxdepth 1 -type d | head -n 1)")

rm -rf "$run"
root=$run/root
mkdir -p "$root"/{bin,dev,proc,sys,run,tmp,images,lib/modules,lib64} "$root/lib/x86_64-linux-gnu"

missing=0
: >"$root/lib/modules/load.list"
for m in "${modules[@]}" "${builtins[@]}"; do
  if ! deps=$(modprobe -S "$version" -d "$tree" --show-depends "$m" 2>/dev/null); then
    echo "drivers-guest: module $m is missing from the kernel package" >&2
    missing=1
    continue
  fi
  case " ${builtins[*]} " in
    *" $m "*) [[ $deps == builtin* ]] || { echo "drivers-guest: $m is not built in" >&2; missing=1; } ;;
  esac
  # insmod lines in dependency order; each module once.
  while read -r verb path _; do
    [ "$verb" = insmod ] || continue
    relative=${path#"$tree"/./}
    relative=${relative#"$tree"/}
    grep -qxF "$relative" "$root/lib/modules/load.list" && continue
    mkdir -p "$root/$(dirname "$relative")"
    cp "$path" "$root/$relative"
    echo "$relative" >>"$root/lib/modules/load.list"
  done <<<"$deps"
done
[ "$missing" -eq 0 ] || { echo "0 passed, 1 failed"; exit 1; }

# busybox gives the shell and the tools; the two programs come with their libraries.
cp /bin/busybox "$root/bin/busybox"
for tool in sh mount umount insmod mkdir ln cat echo sleep kill cmp dd head tail wc grep \
  sed cut tr rm cp ls date printf timeout poweroff test seq md5sum sync awk sort stat stty env \
  touch; do
  ln -sf busybox "$root/bin/$tool"
done
for program in vrtqlx qlx-printer-sim qlx-port-write; do
  strip -o "$root/bin/$program" "$build/$program"
  ldd "$build/$program" | awk '/=> \// { print $3 } /^\t\/lib64/ { print $1 }' |
    while read -r library; do
      cp -L "$library" "$root${library}"
    done
done
cp "$here/guest-init.sh" "$root/init"
cp "$here/guest-cases.sh" "$here/guest-lib.sh" "$here/guest-bench.sh" "$root/bin/"
chmod +x "$root/init"
echo "$mode" >"$root/mode"

# Images: random bytes, so that a lost, doubled or swapped block shows.
image() { head -c "$2" /dev/urandom >"$root/images/$1"; }
image small.bin 65536
image medium.bin 262144
image large.bin 4194304
image serial.bin 16384
image lpt.bin 8192

(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$run/initramfs.gz"

# The guest's console is its first serial port; the second one and the parallel port
# end in files here, which is how the 8250 and lp cases are checked.
set +e
timeout 420 qemu-system-x86_64 -accel tcg -machine pc -cpu max -smp 2 -m 512 \
  -kernel "$tree/boot/vmlinuz-$version" -initrd "$run/initramfs.gz" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init" \
  -display none -monitor none -no-reboot \
  -serial stdio -serial "file:$run/ttyS1.bin" -parallel "file:$run/lpt.bin" \
  </dev/null >"$run/console.log" 2>"$run/qemu.log"
qemu=$?
set -e
tr -d '\r' <"$run/console.log" >"$run/console.txt"

if [ "$mode" = --bench ]; then
  grep -a '^case .* FAIL' "$run/console.txt" || true
  grep -a '^bench ' "$run/console.txt" || { echo "drivers-guest: no benchmark figures" >&2; exit 1; }
  exit 0
fi

passed=0
failed=0
report() { # name verdict detail
  printf '%-34s %s%s\n' "$1" "$2" "${3:+  ($3)}"
  if [ "$2" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}
while read -r _ name verdict detail; do
  report "$name" "$verdict" "$detail"
done < <(grep -a '^case ' "$run/console.txt")

# What the guest sent through its 8250 UART and its parallel port, checked here.
while read -r _ name image file exitcode logged; do
  got=$run/$file
  want=$root/images/$image
  size="$(stat -c %s "$got" 2>/dev/null || echo 0) of $(stat -c %s "$want") bytes"
  if [ "$exitcode" = 0 ] && [ "$logged" = no ] && cmp -s "$got" "$want"; then
    report "$name" ok "$size exact"
  else
    report "$name" FAIL "exit $exitcode, logged $logged, $size"
  fi
done < <(grep -a '^hostcheck ' "$run/console.txt")

# Anything but text there means a case reached the console.
if LC_ALL=C grep -q '[^[:print:][:space:]]' "$run/console.txt"; then
  report console FAIL "binary bytes on the guest's console"
fi
expected=$(grep -a -c '^expect ' "$run/console.txt" || true)
if ! grep -a -q '^guest done' "$run/console.txt"; then
  report guest FAIL "did not finish (qemu exit $qemu); see $run/console.txt"
elif [ $((passed + failed)) -lt "$expected" ]; then
  report guest FAIL "$((passed + failed)) of $expected cases reported"
fi
echo "drivers-guest: $(($(date +%s) - started)) s, console in $run/console.txt"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
