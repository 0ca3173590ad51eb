#!/usr/bin/env bash
# Read-back throughput against dd on the same loop device, over a file in a
# temporary tmpfs folder (ORVELLA_BENCH_DIR and ORVELLA_BENCH_DIRECT_IO put
# it over a file on disk, bench/tmpfs_loop.sh). First the block size at
# which `dd of=/dev/null iflag=direct` reads the device fastest is found;
# then, in each round, in turn: the program's full read-back of the device
# (orvella-erase-bench --read-back full: the read-back alone, nothing is
# erased), dd at that block size, and the read-back of the sample. Prints
# the medians, the ratios of the medians (full: the read-back's time against
# dd's; sample: the bytes it checked per second against dd's), the peak
# memory of the full read-back above the same process reading nothing
# (/usr/bin/time -v), and the load average before and after, since the
# figures mean little on a busy machine. Root only; it touches nothing but
# its own loop device, which it detaches.
#
#   bench/verify-vs-dd.sh [ROUNDS] [SIZE_MIB] [BUILD_DIR]
set -euo pipefail
rounds=${1:-5}
size_mib=${2:-4096}
build=${3:-build}
bench=$build/bench/orvella-erase-bench
[[ $(id -u) -eq 0 ]] || { echo "the benchmark needs root for its loop device" >&2; exit 1; }
[[ -x $bench ]] || { echo "build $bench first: cmake --build $build --target orvella-erase-bench" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "the benchmark needs /usr/bin/time (package time)" >&2; exit 1; }

size=$((size_mib * 1024 * 1024))
source "$(dirname "$0")/tmpfs_loop.sh"
attach_tmpfs_loop "$size" verify
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
now() { date +%s.%N; }

# dd_seconds BS: one timed read of the whole device.
dd_seconds() {
  local start
  start=$(now)
  dd if="$loop" of=/dev/null bs="$1" iflag=direct count=$((size / $(numfmt --from=iec "$1"))) status=none
  calc "$(now) - $start"
}

# read_back METHOD: one read-back alone; sets seconds, bytes and peak (KiB).
read_back() {
  /usr/bin/time -v -o "$folder/time.txt" "$bench" --loop "$loop" --backing-file "$file" --read-back "$1" \
    >"$folder/out.txt" 2>&1 || { echo "read-back $1 failed:" >&2; cat "$folder/out.txt" >&2; exit 1; }
  seconds=$(sed -n 's/.*read_seconds=\([0-9.e+-]*\) .*/\1/p' "$folder/out.txt")
  bytes=$(sed -n 's/.* read_bytes=\([0-9]*\) .*/\1/p' "$folder/out.txt")
  peak=$(sed -n 's/^\s*Maximum resident set size (kbytes): *//p' "$folder/time.txt")
}

best_bs="" best=""
declare -A tries
for pass in 1 2; do
  for bs in 1M 4M 16M 32M; do tries[$bs]+=" $(dd_seconds $bs)"; done
done
for bs in 1M 4M 16M 32M; do
  m=$(median ${tries[$bs]})
  echo "dd bs=$bs: $m s (median of 2)"
  if [[ -z $best ]] || awk "BEGIN { exit !($m < $best) }"; then best=$m best_bs=$bs; fi
done
echo "dd reads fastest at bs=$best_bs"

read_back off
idle_peak=$peak
full=() dd=() sample_rate=() dd_rate=() full_peak=()
for ((round = 1; round <= rounds; round++)); do
  read_back full
  full+=("$seconds") full_peak+=("$peak")
  d=$(dd_seconds "$best_bs")
  dd+=("$d") dd_rate+=("$(calc "$size / $d / 1e6")")
  read_back sample
  sample_rate+=("$(calc "$bytes / $seconds / 1e6")")
  echo "round $round: full read-back $(calc "${full[-1]}") s, dd $d s, sample read-back ${sample_rate[-1]} MB/s"
done
echo
echo "full read-back: $(median "${full[@]}") s; dd bs=$best_bs: $(median "${dd[@]}") s;" \
  "dd / read-back (time): $(calc "$(median "${dd[@]}") / $(median "${full[@]}")")"
echo "sample read-back: $(median "${sample_rate[@]}") MB/s checked; dd: $(median "${dd_rate[@]}") MB/s;" \
  "ratio $(calc "$(median "${sample_rate[@]}") / $(median "${dd_rate[@]}")")"
echo "peak memory: full read-back $(calc "$(median "${full_peak[@]}") / 1024") MiB, idle $(calc "$idle_peak / 1024") MiB," \
  "above idle $(calc "($(median "${full_peak[@]}") - $idle_peak) / 1024") MiB"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
