# Failing sectors, a write-protected drive, drives unplugged during the
# writes and during the read-back, a drive hot-added during a run.
run erase-satabad orvella-cli erase "$(disk_with_serial VSATABAD1)" --yes --json
run erase-nvmebad orvella-cli erase "$(disk_with_serial VNVMEBAD1)" --yes --json
run erase-vdread orvella-cli erase "$(disk_with_serial VVIRTRD01)" --verify full --yes --json
run erase-vdro orvella-cli erase "$(disk_with_serial VVIRTRO01)" --yes --json

# The USB stick's writes are throttled to 2 MiB/s: a drive is hot-added while
# it runs, then the stick is pulled.
usbpull=$(disk_with_serial VUSBPULL1)
start erase-usbpull orvella-cli erase "$usbpull" --yes --json
wait_for_text /tmp/erase-usbpull.err "Formatting"
sleep 1
qmp '{"execute":"device_add","arguments":{"driver":"virtio-blk-pci","id":"vdhot","drive":"dvdhot","serial":"VVIRTHOT1"}}' \
  sh -c 'grep -qs VVIRTHOT1 /sys/block/*/serial'
qmp '{"execute":"device_del","arguments":{"id":"usbpull"}}' test ! -e "/sys/block/${usbpull#/dev/}"
finish erase-usbpull
run list-after-hot-add orvella-cli list --json

# The virtio disk's reads are throttled: it is pulled during the read-back.
vdpull=$(disk_with_serial VVIRTPUL1)
start erase-vdpull orvella-cli erase "$vdpull" --verify full --yes --json
wait_for_text /tmp/erase-vdpull.err "Verifying"
sleep 1
qmp '{"execute":"device_del","arguments":{"id":"vdpull"}}' test ! -e "/sys/block/${vdpull#/dev/}"
finish erase-vdpull
