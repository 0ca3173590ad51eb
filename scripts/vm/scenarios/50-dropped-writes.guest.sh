# A disk that drops every write (dm-flakey), seen through a loop device with
# direct I/O, so that the read-back meets the disk and not a cache.
vdflaky=$(disk_with_serial VVIRTFLK1)
dmsetup create --noudevsync flaky --table "0 65536 flakey $vdflaky 0 0 3600 1 drop_writes"
dmsetup mknodes flaky  # no udev makes the node
loop=$(/usr/sbin/losetup --direct-io=on --show -f /dev/mapper/flaky)
run erase-flaky orvella-cli erase "$loop" --verify full --yes --json
/usr/sbin/losetup -d "$loop"
dmsetup remove --noudevsync flaky
