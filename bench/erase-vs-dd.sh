#!/usr/bin/env bash
# Erase throughput against dd on the same 4 GiB loop device over a tmpfs
# file: the program's erase and `dd if=/dev/zero bs=32M oflag=direct` take
# turns after one untimed pass, and the ratio of their mean throughputs is
# printed, with the ratio of the medians beside it for a busy machine (the
# erase aims at 0.95 or more). Root only; it writes to nothing but its own
# loop device.
#
#   bench/erase-vs-dd.sh [ROUNDS] [BUILD_DIR]
set -euo pipefail
rounds=${1:-3}
build=${2:-build}
bench=$build/bench/orvella-erase-bench
[[ $(id -u) -eq 0 ]] || { echo "the benchmark needs root for its loop device" >&2; exit 1; }
[[ -x $bench ]] || { echo "build $bench first: cmake --build $build --target orvella-erase-bench" >&2; exit 1; }

size=$((4 * 1024 * 1024 * 1024))
source "$(dirname "$0")/tmpfs_loop.sh"
attach_tmpfs_loop "$size" bench

erase_times=()
dd_times=()
for ((round = 1; round <= rounds; round++)); do
  result=$("$bench" --loop "$loop" --backing-file "$file") || { echo "erase did not complete: $result" >&2; exit 1; }
  erase_seconds=$(sed -n 's/^seconds=\([0-9.e+-]*\) .*/\1/p' <<<"$result")
  start=$(date +%s.%N)
  dd if=/dev/zero of="$loop" bs=32M oflag=direct count=$((size / 33554432)) status=none
  dd_seconds=$(calc "$(date +%s.%N) - $start")
  echo "round $round: erase $(calc "$erase_seconds") s ($(calc "$size / $erase_seconds / 1e6") MB/s)," \
    "dd $dd_seconds s ($(calc "$size / $dd_seconds / 1e6") MB/s)"
  erase_times+=("$erase_seconds")
  dd_times+=("$dd_seconds")
done
sum() { printf '%s\n' "$@" | awk '{ s += $1 } END { printf "%.6f", s }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.6f", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
echo "erase / dd throughput ratio: $(calc "$(sum "${dd_times[@]}") / $(sum "${erase_times[@]}")")" \
  "(of the medians: $(calc "$(median "${dd_times[@]}") / $(median "${erase_times[@]}")"))"
