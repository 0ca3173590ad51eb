#!/usr/bin/env bash
# Builds orvella-live-VERSION.iso: a hybrid image that boots from a CD or a
# USB stick, with BIOS and UEFI (GRUB), made of this machine's Debian kernel
# and an initramfs with busybox, the kernel's drivers for SATA, NVMe,
# SAS/SCSI, USB, SD/MMC, virtio and the framebuffer, and orvella-cli with its
# menu. Usage: build-live.sh [OUTPUT_FOLDER] (default: the build folder).
# ORVELLA_BUILD names the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh live
. scripts/vm/initramfs-lib.sh

build=${ORVELLA_BUILD:-build}
out_dir=${1:-$build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
fi
cmake --build "$build" -j2 --target orvella-cli >/dev/null
version=$("$build/src/cli/orvella-cli" --version | awk '{print $NF}')

kernel=$(ls /boot/vmlinuz-* | sort -V | tail -n 1)
release=${kernel#/boot/vmlinuz-}
[ -d "/lib/modules/$release" ] || { echo "build-live.sh: no modules for kernel $release" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
tree=$work/iso
mkdir -p "$root" "$tree/boot/grub"

initramfs_busybox "$root"
initramfs_modules "$root" "$release" \
  ahci ata_piix sd_mod sr_mod sg isofs cdrom \
  nvme \
  mpt3sas megaraid_sas aacraid virtio_scsi \
  xhci_pci ehci_pci ohci_pci uhci_hcd usb_storage uas usbhid hid_generic evdev \
  sdhci_pci sdhci_acpi mmc_block \
  virtio_pci virtio_blk \
  bochs virtio_gpu \
  vfat nls_cp437 nls_iso8859_1 nls_utf8 nls_ascii
initramfs_program "$root" "$build/src/cli/orvella-cli" /usr/bin/orvella-cli
# busybox has no blkid here; the record volume is found by its label.
initramfs_program "$root" "$(command -v blkid)" /usr/sbin/blkid

# A fresh id per image: the init recognises the medium it booted from by it.
id="orvella-live-$version-$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')"
echo "$id" >"$root/etc/orvella-live.id"
echo "$id" >"$tree/orvella-live.id"
mkdir -p "$root/usr/share/orvella"
cp scripts/live/live-init.sh "$root/init"
cp scripts/live/inittab "$root/etc/inittab"
cp scripts/live/live-lib.sh scripts/live/live-menu.sh scripts/live/station-run.sh "$root/usr/share/orvella/"
chmod +x "$root/init" "$root"/usr/share/orvella/*.sh
echo 'export PATH=/usr/bin:/usr/sbin:/bin:/sbin PS1="orvella-live# "' >"$root/etc/profile"
initramfs_pack "$root" "$tree/boot/initrd.img"
cp "$kernel" "$tree/boot/vmlinuz"

cat >"$tree/boot/grub/grub.cfg" <<GRUB
set timeout=5
set default=0
menuentry "Orvella Live $version" {
  linux /boot/vmlinuz quiet loglevel=3 mitigations=off consoleblank=0
  initrd /boot/initrd.img
}
menuentry "Orvella Live $version, scripted station run (tests)" --hotkey=t {
  linux /boot/vmlinuz console=tty0 console=ttyS0 loglevel=3 mitigations=off consoleblank=0 orvella.script=station
  initrd /boot/initrd.img
}
GRUB

mkdir -p "$out_dir"
iso="$out_dir/orvella-live-$version.iso"
grub-mkrescue -o "$iso" "$tree" -- -volid ORVELLA_LIVE 2>"$work/grub-mkrescue.log" ||
  { cat "$work/grub-mkrescue.log" >&2; exit 1; }
echo "$iso"
