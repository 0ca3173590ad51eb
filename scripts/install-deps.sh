#!/usr/bin/env bash
# Installs the Debian packages that building and testing Orvella need;
# with the argument "windows", those of the Windows cross build too (the
# MinGW-w64 compiler, Wine to run its tests, NSIS for the installer, zlib
# for MinGW, and Debian's source listing, from which libharu is fetched and
# built with that compiler); with
# "vm", those of the QEMU test bed (scripts/test-vm.sh): the emulator, a
# kernel and busybox for the guest, the reference tools it compares with;
# with "live", those of the live image (scripts/build-live.sh) and its
# tests: a kernel, busybox, GRUB for BIOS and UEFI, xorriso and mtools.
set -euo pipefail
packages=(
  build-essential cmake ninja-build googletest libgtest-dev nlohmann-json3-dev libcli11-dev
  qt6-base-dev xvfb xauth
  fdisk util-linux mount e2fsprogs
  fuse3 python3 python3-fusepy poppler-utils
  liburing-dev
  libsodium-dev pkg-config
  libhpdf-dev fonts-dejavu-core
  locales
  clang libclang-rt-dev
  lintian help2man bash-completion
  ansible-core
)
if [ "${1:-}" = windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 nsis libz-mingw-w64-dev)
fi
if [ "${1:-}" = vm ]; then
  packages+=(qemu-system-x86 busybox-static linux-image-amd64 smartmontools nvme-cli
             fdisk e2fsprogs dosfstools dmsetup cpio xz-utils kmod)
fi
if [ "${1:-}" = live ]; then
  packages+=(linux-image-amd64 busybox-static kmod cpio grub-pc-bin grub-efi-amd64-bin grub-common xorriso mtools
             dosfstools qemu-system-x86 qemu-utils)
fi
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
# The Windows build compiles libharu from Debian's source package, which
# `apt-get source` fetches only where the archive's sources are listed.
source_list=/etc/apt/sources.list.d/orvella-deb-src.sources
if [ "${1:-}" = windows ] && ! grep -rqs '^deb-src\|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d; then
  . /etc/os-release
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "$VERSION_CODENAME" /usr/share/keyrings/debian-archive-keyring.gpg | $sudo_cmd tee "$source_list" >/dev/null
  $sudo_cmd apt-get update -qq
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
