#!/usr/bin/env bash
# Builds the test bed's initramfs: busybox, the installed kernel's modules for
# the buses and file systems the scenarios use, the programs under test and
# the reference tools (smartctl, nvme-cli, partitioning and file system tools)
# with the shared libraries they load, the guest init and the scenario
# scripts. Usage: make-initramfs.sh KERNEL_RELEASE ORVELLA_CLI OUT.cpio.gz
set -euo pipefail
release=$1
cli=$2
out=$3
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/initramfs-lib.sh"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT

initramfs_busybox "$root"
initramfs_modules "$root" "$release" ahci sd_mod sg nvme virtio_scsi xhci_pci usb_storage sdhci_pci mmc_block virtio_blk \
  virtio_pci crc32c_generic ext4 vfat nls_cp437 nls_iso8859_1 nls_utf8 nls_ascii dm_flakey loop

initramfs_program "$root" "$cli" /usr/bin/orvella-cli
# Busybox runs its own applets before anything in PATH: scenarios call the
# tools that busybox also has (losetup, mkfs.vfat) by their full path.
for tool in smartctl nvme sfdisk mkfs.ext4 mkfs.vfat dmsetup flock losetup; do
  initramfs_program "$root" "$(command -v "$tool")" "/usr/sbin/$tool"
done

cp "$here/guest-init.sh" "$root/init"
chmod +x "$root/init"
mkdir -p "$root/scenarios"
cp "$here"/scenarios/lib.sh "$here"/scenarios/*.guest.sh "$root/scenarios/"
initramfs_pack "$root" "$out"
