# Sourced by the benchmarks: a loop device of their own over a sparse file
# in a temporary folder, detached and removed when the script exits.
# attach_tmpfs_loop SIZE_BYTES NAME sets `folder`, `file` and `loop`.
# The folder is made in tmpfs (/dev/shm) unless ORVELLA_BENCH_DIR names
# another parent, such as a folder on disk; ORVELLA_BENCH_DIRECT_IO=on makes
# the loop device read and write its file with direct I/O (losetup
# --direct-io=on), past the page cache of the file.

calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

cleanup_tmpfs_loop() {
  [[ -n ${loop:-} ]] && losetup -d "$loop"
  rm -rf "$folder"
}

attach_tmpfs_loop() {
  local size=$1
  local parent=${ORVELLA_BENCH_DIR:-/dev/shm}
  local direct=${ORVELLA_BENCH_DIRECT_IO:-off}
  folder=$(mktemp -d "$parent/orvella-$2-XXXXXX")
  file=$folder/drive.img
  loop=""
  trap cleanup_tmpfs_loop EXIT
  truncate -s "$size" "$file"
  loop=$(losetup --find --show --direct-io="$direct" "$file")
  echo "loop device $loop over $file ($(stat -f -c %T "$folder"), direct I/O $direct), $((size / 1024 / 1024)) MiB"
  # The first writer of a sparse file also pays for its blocks; one untimed
  # pass lets every measured pass find them in place.
  dd if=/dev/zero of="$loop" bs=32M oflag=direct count=$((size / 33554432)) status=none
}
