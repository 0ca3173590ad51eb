#!/usr/bin/env bash
# Read-back throughput against dd on the same 4 GiB loop device over a tmpfs
# file: the program's full read-back (after its erase) and
# `dd if=DEV of=/dev/null bs=32M iflag=direct` take turns, and the ratio of
# their throughputs is printed (the read-back aims at 1.0 or more). A single
# short run, not a timed test. Root only; it touches nothing but its own
# loop device.
#
#   bench/verify-vs-dd.sh [ROUNDS] [BUILD_DIR]
set -euo pipefail
rounds=${1:-1}
build=${2:-build}
bench=$build/bench/orvella-erase-bench
[[ $(id -u) -eq 0 ]] || { echo "the benchmark needs root for its loop device" >&2; exit 1; }
[[ -x $bench ]] || { echo "build $bench first: cmake --build $build --target orvella-erase-bench" >&2; exit 1; }

size=$((4 * 1024 * 1024 * 1024))
source "$(dirname "$0")/tmpfs_loop.sh"
attach_tmpfs_loop "$size" bench

for ((round = 1; round <= rounds; round++)); do
  result=$("$bench" --loop "$loop" --backing-file "$file" --verify full) || {
    echo "erase did not complete: $result" >&2
    exit 1
  }
  verify_seconds=$(sed -n 's/.* verify_seconds=\([0-9.e+-]*\) .*/\1/p' <<<"$result")
  verify_bytes=$(sed -n 's/.* verify_bytes=\([0-9]*\).*/\1/p' <<<"$result")
  start=$(date +%s.%N)
  dd if="$loop" of=/dev/null bs=32M iflag=direct count=$((size / 33554432)) status=none
  dd_seconds=$(calc "$(date +%s.%N) - $start")
  verify_rate=$(calc "$verify_bytes / $verify_seconds / 1e6")
  dd_rate=$(calc "$size / $dd_seconds / 1e6")
  echo "round $round: read-back $(calc "$verify_seconds") s ($verify_rate MB/s), dd $dd_seconds s ($dd_rate MB/s)," \
    "ratio $(calc "$verify_rate / $dd_rate")"
done
