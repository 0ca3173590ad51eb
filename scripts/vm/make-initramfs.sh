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
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT

mkdir -p "$root"/{bin,sbin,dev,proc,sys,tmp,mnt,run,etc,lib,usr/bin,usr/sbin}
cp /bin/busybox "$root/bin/busybox"
for applet in $("$root/bin/busybox" --list); do
  [ "$applet" = busybox ] || ln -sf busybox "$root/bin/$applet"
done

# The modules in load order, each after those it needs.
modules=(ahci sd_mod sg nvme xhci_pci usb_storage sdhci_pci mmc_block virtio_blk virtio_pci
         crc32c_generic ext4 vfat nls_cp437 nls_iso8859_1 nls_utf8 nls_ascii dm_flakey loop)
for module in "${modules[@]}"; do
  modprobe -S "$release" --show-depends "$module" | awk '$1 == "insmod" {print $2}'
done | awk '!seen[$0]++' >"$root/etc/modules.order"
while read -r path; do
  mkdir -p "$root$(dirname "$path")"
  cp "$path" "$root$path"
done <"$root/etc/modules.order"

# Programs with their shared libraries, at the paths the loader expects.
add_program() {
  local program=$1 target=$2
  strip --strip-unneeded -o "$root$target" "$program"
  ldd "$program" | grep -o '/[^ ]*' | while read -r library; do
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
}
add_program "$cli" /usr/bin/orvella-cli
# Busybox runs its own applets before anything in PATH: scenarios call the
# tools that busybox also has (losetup, mkfs.vfat) by their full path.
for tool in smartctl nvme sfdisk mkfs.ext4 mkfs.vfat dmsetup flock losetup; do
  add_program "$(command -v "$tool")" "/usr/sbin/$tool"
done

cp "$here/guest-init.sh" "$root/init"
chmod +x "$root/init"
mkdir -p "$root/scenarios"
cp "$here"/scenarios/lib.sh "$here"/scenarios/*.guest.sh "$root/scenarios/"
# Uncompressed: unpacking a gzip archive costs the emulated guest seconds.
(cd "$root" && find . | cpio -o -H newc --quiet) >"$out"
