# File systems on partitions that the guest kernel's own parser found: busy
# ones refuse the erase and name their holders, idle ones are unmounted; a
# disk that another program holds is refused.
vdfs=$(disk_with_serial VVIRTFS01)
printf 'label: dos\n,24M,83\n,,c\n' | sfdisk -q "$vdfs"
mkfs.ext4 -q -F "${vdfs}1"
/usr/sbin/mkfs.vfat "${vdfs}2" >/dev/null
mkdir -p /mnt/ext4 /mnt/vfat
mount -t ext4 "${vdfs}1" /mnt/ext4
mount -t vfat "${vdfs}2" /mnt/vfat
echo kept >/mnt/ext4/file
echo kept >/mnt/vfat/file
run fs-list orvella-cli list --json
sh -c 'exec 3</mnt/ext4/file; exec sleep 600' &
ext4_holder=$!
(cd /mnt/vfat && exec sleep 600) &
vfat_holder=$!
sleep 0.5
say "@@HOLDERS $ext4_holder $vfat_holder"
run erase-busy orvella-cli erase "$vdfs" --yes --json
run fs-intact cat /mnt/ext4/file /mnt/vfat/file
kill "$ext4_holder" "$vfat_holder"
wait "$ext4_holder" "$vfat_holder" 2>/dev/null
run erase-idle orvella-cli erase "$vdfs" --yes --json
run mounts-after cat /proc/mounts

vdheld=$(disk_with_serial VVIRTHLD1)
flock -o "$vdheld" sleep 600 &
flock_holder=$!
wait_for_text /proc/locks FLOCK
run erase-flocked orvella-cli erase "$vdheld" --yes --json
kill "$flock_holder"
wait "$flock_holder" 2>/dev/null
dmsetup create --noudevsync held --table "0 65536 linear $vdheld 0"
run erase-dm-held orvella-cli erase "$vdheld" --yes --json
dmsetup remove --noudevsync held
