# The drive's own erase through the kernel's NVMe driver and SCSI SG_IO. QEMU's controller
# implements Format NVM but not Sanitize, and claims neither a crypto erase
# by format (FNA) nor any sanitize (SANICAP), though it would take a crypto
# format: the refusal must come from reading those claims. The crypto erase
# is asked of the drive the quick erase left with its middle untouched, so
# that anything sent would show in its image.
purge=$(disk_with_serial VNVMEPUR1)
run purge-methods orvella-cli methods "$purge" --json
run purge-crypto orvella-cli erase "$(disk_with_serial VNVMEQ001)" --method crypto-erase --yes --json
run purge-format orvella-cli erase "$purge" --method format-erase --yes --json --expect-serial VNVMEPUR1

# A virtio-scsi disk: its SANITIZE service actions as REPORT SUPPORTED
# OPERATION CODES answers them through SG_IO; QEMU's disk offers none, so
# every method of the drive's own erase is refused with nothing sent.
scsi=$(disk_with_serial VSCSI0001)
run purge-scsi-methods orvella-cli methods "$scsi" --json
run purge-scsi-crypto orvella-cli erase "$scsi" --method crypto-erase --yes --json --expect-serial VSCSI0001
