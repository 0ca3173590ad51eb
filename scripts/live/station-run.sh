#!/bin/sh
# The scripted station run of the live image's tests (orvella.script=station):
# a station over every disk attached at boot except the boot medium and the
# record volume (named with --include), while the host attaches one more
# disk when asked. The station's output goes to the first console and the
# first serial port; the second serial port, which the host reads, carries
# only the @@ lines that mark the steps. Then powers off.
. /usr/share/orvella/live-lib.sh
out=/dev/ttyS1
say() { echo "$*" >"$out"; }

say "@@BOOTED boot=$(cat /run/orvella-boot-medium 2>/dev/null) records=$(cat /run/orvella-record-volume 2>/dev/null)"
boot=$(cat /run/orvella-boot-medium 2>/dev/null)
records=$(cat /run/orvella-record-volume 2>/dev/null)
include=
for dev in /sys/block/vd*; do
  name=${dev##*/}
  [ "$name" = "$boot" ] || [ "$name" = "$records" ] || include="$include --include /dev/$name"
done
# The boot medium is refused even when named.
orvella-cli erase "/dev/$boot" --yes >/dev/ttyS0 2>&1
say "@@BOOT-ERASE-EXIT $?"

log=/tmp/station.log
# The log exists before the follower starts: tail gives up on a file that is
# not there yet, and the station's own redirection may come later.
: >"$log"
# shellcheck disable=SC2086 # one switch per disk
orvella-cli station --yes --report-dir "$RECORDS" $include >"$log" 2>&1 &
station=$!
tail -f "$log" 2>/dev/null | tee /dev/tty1 >/dev/ttyS0 &
follower=$!
sleep 2
say '@@QMP {"execute": "device_add", "arguments": {"driver": "virtio-blk-pci", "id": "hot", "drive": "dhot", "serial": "LIVEHOT01"}}'
want=$(($(echo "$include" | wc -w) / 2 + 1))
n=0
while [ "$(grep -c 'finished:' "$log")" -lt "$want" ] && [ "$n" -lt 600 ]; do
  sleep 1
  n=$((n + 1))
done
sleep 2  # the console follows the log a little behind
say "@@SCREEN station"
sleep 3
kill -INT "$station"
wait "$station"
say "@@STATION-EXIT $?"
sleep 1
kill "$follower" 2>/dev/null
ls "$RECORDS" >/dev/ttyS0
# The menu as the first console shows it after a normal start.
/usr/share/orvella/live-menu.sh </dev/null >/dev/tty1 2>&1 &
sleep 2
say "@@SCREEN menu"
sleep 2
sync
umount "$RECORD_MOUNT"
say "@@DONE"
poweroff -f
