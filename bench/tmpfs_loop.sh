# Sourced by the benchmarks: a loop device of their own over a sparse file
# in a temporary tmpfs folder, detached and removed when the script exits.
# attach_tmpfs_loop SIZE_BYTES NAME sets `folder`, `file` and `loop`.

calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

cleanup_tmpfs_loop() {
  [[ -n ${loop:-} ]] && losetup -d "$loop"
  rm -rf "$folder"
}

attach_tmpfs_loop() {
  local size=$1
  folder=$(mktemp -d "/dev/shm/orvella-$2-XXXXXX")
  file=$folder/drive.img
  loop=""
  trap cleanup_tmpfs_loop EXIT
  truncate -s "$size" "$file"
  loop=$(losetup --find --show "$file")
  echo "loop device $loop over $file (tmpfs), $((size / 1024 / 1024)) MiB"
  # The first writer of a sparse tmpfs file also pays for its pages; one
  # untimed pass lets every measured pass find them in place.
  dd if=/dev/zero of="$loop" bs=32M oflag=direct count=$((size / 33554432)) status=none
}
