#!/bin/sh
# The test bed guest's init: mounts the kernel's file systems, loads the
# drivers, waits for the drives the host attached, runs every scenario script
# in name order and powers off. Results go to the second serial port, which
# the host reads; the first one carries the kernel's console.
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
mkdir -p /dev/pts /mnt && mount -t devpts devpts /dev/pts
while read -r module; do insmod "$module" 2>/dev/null; done </etc/modules.order
. /scenarios/lib.sh
wait_for_drives "$(sed -n 's/.*orvella.drives=\([0-9]*\).*/\1/p' /proc/cmdline)"
say "@@BOOTED $(cut -d' ' -f1 /proc/uptime)"
for scenario in /scenarios/*.guest.sh; do
  name=$(basename "$scenario" .guest.sh)
  say "@@SCENARIO $name $(cut -d" " -f1 /proc/uptime)"
  (. "$scenario") </dev/null >/dev/ttyS1 2>&1
done
sync
say "@@DONE $(cut -d" " -f1 /proc/uptime)"
poweroff -f
