# Functions that gather an initramfs from the host's own Debian files:
# busybox with its applets, the installed kernel's modules in load order,
# programs with the shared libraries they load, and the packing. Sourced by
# scripts/vm/make-initramfs.sh (the test bed) and scripts/build-live.sh
# (the live image).

# busybox and a link for each of its applets.
initramfs_busybox() {
  local root=$1 applet
  mkdir -p "$root"/{bin,sbin,dev,proc,sys,tmp,mnt,run,etc,lib,usr/bin,usr/sbin}
  cp /bin/busybox "$root/bin/busybox"
  for applet in $("$root/bin/busybox" --list); do
    [ "$applet" = busybox ] || ln -sf busybox "$root/bin/$applet"
  done
}

# The modules of kernel RELEASE in load order, each after those it needs,
# listed in ROOT/etc/modules.order. Modules built into the kernel need no file.
initramfs_modules() {
  local root=$1 release=$2 module path
  shift 2
  for module in "$@"; do
    modprobe -S "$release" --show-depends "$module" | awk '$1 == "insmod" {print $2}'
  done | awk '!seen[$0]++' >"$root/etc/modules.order"
  while read -r path; do
    mkdir -p "$root$(dirname "$path")"
    cp "$path" "$root$path"
  done <"$root/etc/modules.order"
}

# A program, stripped, at TARGET, with its shared libraries at the paths the
# loader expects.
initramfs_program() {
  local root=$1 program=$2 target=$3 library
  mkdir -p "$root$(dirname "$target")"
  strip --strip-unneeded -o "$root$target" "$program"
  ldd "$program" | grep -o '/[^ ]*' | while read -r library; do
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
}

# Uncompressed: unpacking a gzip archive costs an emulated guest seconds.
initramfs_pack() {
  local root=$1 out=$2
  (cd "$root" && find . | cpio -o -H newc --quiet) >"$out"
}
