# Whole and quick erases on every bus; the host checks the images' bytes.
# The SD cards, whose emulation writes one block at a time, run beside the
# others (runs on several drives at once).
start erase-sd orvella-cli erase "$(card_in_slot 1e)" --yes --json
start erase-sdq orvella-cli erase "$(card_in_slot 1f)" --quick --yes --json
for id in sata:VSATA0001 nvme:VNVME0001 usb:VUSB0001 vd:VVIRT0001; do
  run "erase-${id%%:*}" orvella-cli erase "$(disk_with_serial "${id#*:}")" --yes --json --expect-serial "${id#*:}"
done
for id in sataq:VSATAQ001 nvmeq:VNVMEQ001 usbq:VUSBQ0001 vdq:VVIRTQ001; do
  run "erase-${id%%:*}" orvella-cli erase "$(disk_with_serial "${id#*:}")" --quick --yes --json --expect-serial "${id#*:}"
done
finish erase-sd
finish erase-sdq
