#!/usr/bin/env bash
# Several drives erased side by side by one `orvella-cli erase A B C`,
# against the same drives erased one at a time: the aggregate throughput of
# the side-by-side run over the sum of the single runs' throughputs (1.0:
# the drives run as fast together as alone), and the CPU seconds per GB of
# each. Two machines: simulated drives with a speed limit (each drive the
# bottleneck, no disk touched), then loop devices over files on disk
# (ORVELLA_BENCH_DIR, default /var/tmp; direct I/O unless
# ORVELLA_BENCH_DIRECT_IO=off). The erases write without read-back
# (--verify off, which ends with exit status 9: done, not proven). The loop
# part needs root; it touches nothing but its own loop devices, which it
# detaches.
#
#   bench/many-drives.sh [DRIVES] [SIZE_MIB] [SIM_SPEED_MBPS] [BUILD_DIR]
set -euo pipefail
drives=${1:-3}
size_mib=${2:-256}
speed_mbps=${3:-100}
build=${4:-build}
cli=$build/src/cli/orvella-cli
[[ -x $cli ]] || { echo "build $cli first" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "the benchmark needs /usr/bin/time (package time)" >&2; exit 1; }
size=$((size_mib * 1024 * 1024))
folder=$(mktemp -d "${ORVELLA_BENCH_DIR:-/var/tmp}/orvella-many-XXXXXX")
loops=()
cleanup() {
  for loop in "${loops[@]}"; do losetup -d "$loop"; done
  rm -rf "$folder"
}
trap cleanup EXIT

calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
field() { sed -n "s/^\s*$1: *//p" "$folder/time.txt"; }

# timed ARGS...: one erase; sets `seconds` and `cpu_seconds`.
timed() {
  local start end status=0
  start=$(date +%s.%N)
  /usr/bin/time -v -o "$folder/time.txt" "$cli" "$@" --yes --verify off >"$folder/out.txt" 2>&1 || status=$?
  end=$(date +%s.%N)
  ((status == 0 || status == 9)) || { echo "the erase failed ($status):" >&2; tail -5 "$folder/out.txt" >&2; exit 1; }
  seconds=$(calc "$end - $start")
  cpu_seconds=$(calc "$(field 'User time (seconds)') + $(field 'System time (seconds)')")
}

# compare NAME PREFIX_ARGS -- DRIVE...: each drive alone, then all together.
compare() {
  local name=$1
  shift
  local prefix=()
  while [[ $1 != -- ]]; do prefix+=("$1"); shift; done
  shift
  local sum_rate=0 single_cpu=0
  for drive in "$@"; do
    timed "${prefix[@]}" erase "$drive"
    sum_rate=$(calc "$sum_rate + $size / $seconds / 1e6")
    single_cpu=$(calc "$single_cpu + $cpu_seconds")
    echo "$name: $drive alone $seconds s"
  done
  timed "${prefix[@]}" erase "$@"
  local aggregate
  aggregate=$(calc "$# * $size / $seconds / 1e6")
  echo "$name: $# drives together $seconds s"
  echo "$name: aggregate $aggregate MB/s, sum of singles $sum_rate MB/s, ratio $(calc "$aggregate / $sum_rate");" \
    "CPU $(calc "$single_cpu / ($# * $size / 1e9)") s/GB alone, $(calc "$cpu_seconds / ($# * $size / 1e9)") s/GB together"
}

# Simulated drives, each limited to the given speed.
{
  echo '{"drives": ['
  for ((n = 0; n < drives; n++)); do
    ((n > 0)) && echo ','
    echo "{\"number\": $n, \"length\": $size, \"busType\": \"BusTypeSata\", \"product\": \"Bench $n\","
    echo " \"serial\": \"BENCH$n\", \"speedLimitBytesPerSecond\": $((speed_mbps * 1000000))}"
  done
  echo ']}'
} >"$folder/drives.json"
numbers=()
for ((n = 0; n < drives; n++)); do numbers+=("$n"); done
echo "$drives simulated drives of $size_mib MiB at $speed_mbps MB/s"
compare simulated --drives "$folder/drives.json" -- "${numbers[@]}"

if [[ $(id -u) -ne 0 ]]; then
  echo "loop devices skipped: they need root"
  exit 0
fi
paths=()
for ((n = 0; n < drives; n++)); do
  truncate -s "$size" "$folder/drive$n.img"
  loop=$(losetup --find --show --direct-io="${ORVELLA_BENCH_DIRECT_IO:-on}" "$folder/drive$n.img")
  loops+=("$loop")
  paths+=("$loop")
  # The first writer of a sparse file also pays for its blocks.
  dd if=/dev/zero of="$loop" bs=32M oflag=direct count=$((size / 33554432)) status=none
done
echo "$drives loop devices of $size_mib MiB over files in $folder ($(stat -f -c %T "$folder"))"
compare loop -- "${paths[@]}"
