#!/bin/sh
# The live image's init: mounts the kernel's file systems, loads the
# drivers, finds the medium it booted from and mounts it read-only at /boot
# (so that orvella-cli sees it as part of the running system and never
# offers it for erasing), mounts the FAT volume labelled ORVELLA for the
# records, and hands over to busybox init: the menu on the first console, a
# shell on the second. With orvella.script=station on the kernel command
# line it runs the scripted station run of the image's tests instead.
export PATH=/usr/bin:/usr/sbin:/bin:/sbin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mkdir -p /dev/pts && mount -t devpts devpts /dev/pts
while read -r module; do insmod "$module" 2>/dev/null; done </etc/modules.order
. /usr/share/orvella/live-lib.sh

wait_for_disks 10
find_boot_medium
find_record_volume

case " $(cat /proc/cmdline) " in
  *" orvella.script=station "*) exec /usr/share/orvella/station-run.sh ;;
esac
exec /bin/busybox init
