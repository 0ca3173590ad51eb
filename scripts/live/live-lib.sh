# What the live image's init, menu and scripted run share: finding the boot
# medium and the record volume, and where the records go.
BOOT_ID_FILE=/orvella-live.id
RECORD_MOUNT=/mnt/orvella
RECORDS=$RECORD_MOUNT/orvella-records

# The kernel names of whole disks and their partitions, CD drives included.
block_devices() {
  for dev in /sys/class/block/*; do
    name=${dev##*/}
    case $name in loop* | ram* | zram*) continue ;; esac
    echo "$name"
  done
}

# Waits up to SECONDS for the USB and SCSI buses to settle: the drives of a
# USB stick appear a few seconds after its controller.
wait_for_disks() {
  n=0
  last=
  while [ "$n" -lt "$1" ]; do
    now=$(block_devices | tr '\n' ' ')
    [ -n "$now" ] && [ "$now" = "$last" ] && [ "$n" -ge 3 ] && return 0
    last=$now
    sleep 1
    n=$((n + 1))
  done
}

# The medium whose ISO 9660 file system carries this image's id: mounted
# read-only at /boot, where a drive holding the running system is recognised.
find_boot_medium() {
  want=$(cat /etc/orvella-live.id)
  mkdir -p /boot
  for name in $(block_devices); do
    mount -t iso9660 -o ro "/dev/$name" /boot 2>/dev/null || continue
    if [ "$(cat "/boot$BOOT_ID_FILE" 2>/dev/null)" = "$want" ]; then
      echo "$name" >/run/orvella-boot-medium
      return 0
    fi
    umount /boot
  done
  echo "orvella: the medium this image booted from was not found" >&2
}

# The FAT volume labelled ORVELLA, mounted for the records; without one the
# records stay in memory and are lost at power-off.
find_record_volume() {
  mkdir -p "$RECORD_MOUNT"
  for name in $(block_devices); do
    [ "$(/usr/sbin/blkid -o value -s LABEL "/dev/$name" 2>/dev/null)" = ORVELLA ] || continue
    if mount -t vfat -o rw,sync,shortname=mixed "/dev/$name" "$RECORD_MOUNT"; then
      echo "$name" >/run/orvella-record-volume
      mkdir -p "$RECORDS"
      return 0
    fi
  done
  mount -t tmpfs tmpfs "$RECORD_MOUNT"
  mkdir -p "$RECORDS"
}

# Where the records are kept, in words for the screen.
records_place() {
  if [ -s /run/orvella-record-volume ]; then
    echo "$RECORDS on the ORVELLA volume (/dev/$(cat /run/orvella-record-volume))"
  else
    echo "$RECORDS in memory only: attach a stick with a FAT volume labelled ORVELLA to keep them"
  fi
}
