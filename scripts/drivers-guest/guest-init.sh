#!/bin/sh
# The guest's first process: mounts what the cases need, loads the drivers and the gadget
# side in dependency order, runs the cases (or the benchmarks) and powers the guest off.
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
# Every Linux system has its /run, where root's runs keep their queue lock.
mount -t tmpfs run /run
while read -r module; do
  options=""
  # Three emulated controllers: two printers of two models, and the serial adapter.
  case $module in */dummy_hcd.ko) options="num=3" ;; esac
  # shellcheck disable=SC2086 # no options is no argument
  insmod "/$module" $options || echo "case modules FAIL insmod $module"
done </lib/modules/load.list
mount -t configfs none /sys/kernel/config
if [ "$(cat /mode)" = --bench ]; then
  sh /bin/guest-bench.sh
else
  sh /bin/guest-cases.sh
fi
echo "guest done"
sync
poweroff -f
