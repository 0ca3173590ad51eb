#!/usr/bin/env bash
# The live image's tests: builds orvella-live-VERSION.iso and boots it under
# QEMU (TCG) as a CD and as a USB stick side by side, each with two disks, a
# stick labelled ORVELLA and a disk hot-added through QMP, in the scripted
# station run; then checks the disks, the boot medium, the records and the
# screen (scripts/live/run_live.py). Only image files in a temporary folder
# are attached. ORVELLA_LIVE_KEEP=1 keeps the folder (the screen's picture
# is screen.png in each boot's folder).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
work=$(mktemp -d)
runner=""
cleanup() {
  [ -n "$runner" ] && kill "$runner" 2>/dev/null || true
  # Each guest is ended whatever happened (its pid only while it is still
  # our QEMU, started on this folder).
  local file pid
  for file in "$work"/*/qemu.pid; do
    pid=$(cat "$file" 2>/dev/null || true)
    if [ -n "$pid" ] && { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | grep -qF "$work/"; then
      kill "$pid" 2>/dev/null || true
    fi
  done
  if [ -n "${ORVELLA_LIVE_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

iso=$(scripts/build-live.sh "$work" | tail -n 1)
build=${ORVELLA_BUILD:-build}
echo "built $iso in $(($(date +%s) - started)) s"
status=0
python3 scripts/live/run_live.py "$iso" "$build/src/cli/orvella-cli" "$work" &
runner=$!
wait "$runner" || status=$?
runner=""
echo "live image tests took $(($(date +%s) - started)) s"
if [ "$status" -ne 0 ]; then
  for boot in "$work"/cd "$work"/usb; do
    echo "--- $boot: guest output (tail) ---"; tail -n 20 "$boot/guest.log" 2>/dev/null || true
    echo "--- $boot: console (tail) ---"; tail -n 20 "$boot/console.log" 2>/dev/null || true
  done
fi
exit "$status"
