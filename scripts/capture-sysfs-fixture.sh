#!/usr/bin/env bash
# Captures the sysfs and procfs facts of some block devices into a small tree
# that the Linux backend's tests replay through a root prefix:
#
#   scripts/capture-sysfs-fixture.sh OUT_DIR sda [nvme0n1 ...]
#
# It copies only the attributes the backend reads (sizes, limits, identity
# texts, VPD pages, transport hints) of each disk, its partitions and every
# device above it, keeps the sysfs links relative, and keeps the mountinfo
# and swap lines of those devices. Nothing is written to any device.
set -euo pipefail

out=${1:?usage: $0 OUT_DIR DISK...}
shift
(($#)) || { echo "usage: $0 OUT_DIR DISK..." >&2; exit 2; }

block_attributes="dev size removable ro hidden diskseq partition start serial wwid"
queue_attributes="logical_block_size physical_block_size max_hw_sectors_kb max_sectors_kb max_segments dma_alignment rotational"
loop_attributes="backing_file offset sizelimit autoclear partscan dio"
device_attributes="vendor model rev type queue_depth vpd_pg80 vpd_pg83 vpd_pg89 serial firmware_rev transport
  name fwrev hwrev oemid manfid date life_time pre_eol_info wwid idVendor idProduct manufacturer product cntlid"

copy_attributes() {  # SOURCE_DIR NAMES...
  local dir=$1 name
  shift
  for name in "$@"; do
    [[ -f $dir/$name && -r $dir/$name ]] || continue
    mkdir -p "$out$dir"
    cat "$dir/$name" > "$out$dir/$name" 2>/dev/null || rm -f "$out$dir/$name"
  done
}

copy_link() {  # LINK
  mkdir -p "$out$(dirname "$1")"
  ln -sfn "$(readlink "$1")" "$out$1"
}

copy_holders() {  # BLOCK_DIR
  local holder
  for holder in "$1"/holders/*; do
    [[ -L $holder ]] && copy_link "$holder"
  done
  mkdir -p "$out$1/holders"
}

capture_device_chain() {  # RESOLVED_DEVICE_DIR
  local dir=$1 host
  while [[ $dir == /sys/devices/* ]]; do
    # shellcheck disable=SC2086
    copy_attributes "$dir" $device_attributes
    for host in "$dir"/scsi_host/host*; do
      [[ -d $host ]] && copy_attributes "$host" proc_name
    done
    for host in sas_host fc_host iscsi_host; do
      [[ -d $dir/$host ]] && mkdir -p "$out$dir/$host"
    done
    dir=$(dirname "$dir")
  done
}

mounted=()
for disk in "$@"; do
  link=/sys/block/$disk
  [[ -L $link ]] || { echo "no such disk: $disk" >&2; exit 1; }
  copy_link "$link"
  real=$(readlink -f "$link")
  # shellcheck disable=SC2086
  copy_attributes "$real" $block_attributes
  # shellcheck disable=SC2086
  copy_attributes "$real/queue" $queue_attributes
  # shellcheck disable=SC2086
  [[ -d $real/loop ]] && copy_attributes "$real/loop" $loop_attributes
  copy_holders "$real"
  mounted+=("$(cat "$real/dev")")
  for part in "$real"/"$disk"*; do
    [[ -f $part/partition ]] || continue
    # shellcheck disable=SC2086
    copy_attributes "$part" $block_attributes
    copy_holders "$part"
    mounted+=("$(cat "$part/dev")")
  done
  if [[ -L $real/device ]]; then
    copy_link "$real/device"
    capture_device_chain "$(readlink -f "$real/device")"
  fi
done

mkdir -p "$out/proc/self"
pattern=$(printf ' %s |' "${mounted[@]}")
grep -E "${pattern%|}" /proc/self/mountinfo > "$out/proc/self/mountinfo" || true
names=$(printf '/dev/%s|' "$@")
{ head -n1 /proc/swaps; grep -E "^(${names%|})" /proc/swaps || true; } > "$out/proc/swaps"
echo "captured $* into $out"
