# Every bus in the list; IDENTIFY, S.M.A.R.T. and the NVMe health log next to
# what smartctl and nvme-cli read from the same drives.
sata=$(disk_with_serial VSATA0001)
card=$(card_in_slot 1e)
run list orvella-cli list --json
run list-text orvella-cli list
run sata-details orvella-cli details "$sata" --json
run sata-details-text orvella-cli details "$sata"
run sata-smart orvella-cli smart "$sata" --json
run sata-smartctl smartctl --json=c -i -A -H "$sata"
run nvme-details orvella-cli details /dev/nvme0n1 --json
run nvme-smart orvella-cli smart /dev/nvme0n1 --json
run nvme-smartlog nvme smart-log /dev/nvme0 -o json
run nvme-smartctl smartctl --json=c -a /dev/nvme0
run sd-sysfs sh -c "cd /sys/block/${card#/dev/}/device && grep . serial name manfid oemid date hwrev fwrev type"
