#!/usr/bin/env bash
# The QEMU test bed: boots the installed Debian kernel with a small initramfs
# (busybox, the kernel's own drivers, orvella-cli and reference tools) on
# emulated SATA, NVMe, USB, SD and virtio drives, runs the scenarios of
# scripts/vm/scenarios in the guest and judges them on the host, the drive
# images' bytes included. Prints one line per check and "N passed, N failed".
# Only image files in a temporary folder are attached; no disk of this
# machine is ever given to the guest. ORVELLA_VM_KEEP=1 keeps the folder
# with the images, the guest's output and the console log.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh vm

build=${ORVELLA_BUILD:-build}
if [ ! -x "$build/src/cli/orvella-cli" ]; then
  scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
fi
cmake --build "$build" -j2 --target orvella-cli >/dev/null

kernel=$(ls /boot/vmlinuz-* | sort -V | tail -n 1)
release=${kernel#/boot/vmlinuz-}
[ -d "/lib/modules/$release" ] || { echo "no modules for kernel $release" >&2; exit 1; }

work=$(mktemp -d)
runner=""
cleanup() {
  [ -n "$runner" ] && kill "$runner" 2>/dev/null || true
  # The guest is ended whatever happened (the pid only while it still is our
  # QEMU, started on this folder); the images go with the folder.
  local pid
  pid=$(cat "$work/qemu.pid" 2>/dev/null || true)
  if [ -n "$pid" ] && { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | grep -qF "$work/"; then
    kill "$pid" 2>/dev/null || true
  fi
  if [ -n "${ORVELLA_VM_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(date +%s)
# The kernel unpacked once on the host boots straight into 64-bit code (PVH),
# which saves the emulated guest its decompression; the packed one is the
# fallback.
boot_image=$kernel
offset=$(grep -abo $'\xfd7zXZ' "$kernel" | head -n 1 | cut -d: -f1 || true)
if [ -n "$offset" ]; then
  # xz complains about the bytes after the stream; the ELF header decides.
  tail -c +$((offset + 1)) "$kernel" | xz -dc >"$work/vmlinux" 2>/dev/null || true
  [ "$(head -c 4 "$work/vmlinux" | tail -c 3)" = ELF ] && boot_image=$work/vmlinux
fi
scripts/vm/make-initramfs.sh "$release" "$build/src/cli/orvella-cli" "$work/initramfs.cpio"
status=0
# In the background, so that a signal reaches the trap at once.
python3 scripts/vm/run.py "$boot_image" "$work/initramfs.cpio" "$work" &
runner=$!
wait "$runner" || status=$?
runner=""
echo "test bed run took $(($(date +%s) - started)) s"
[ "$status" -eq 0 ] || { echo "--- guest console (tail) ---"; tail -n 40 "$work/console.log"; }
exit "$status"
