#!/usr/bin/env bash
# The erase and its read-back against plain writers and readers on the same
# loop device, over a sparse file in a temporary tmpfs folder: in each round,
# in turn, `orvella-cli erase` (once without read-back, once with a full
# one), `dd bs=32M oflag=direct`, the reference zero writer at queue depth
# four (bench/reference_zero_io.cpp), `dd bs=32M iflag=direct` and the
# reference reader. For each: throughput, CPU seconds per GB and peak
# memory (/usr/bin/time -v), medians over the rounds, and the ratios. The
# program's read-back throughput is its own "Average verification speed";
# its CPU is that of the run with read-back less that of the run without.
# Root only; it touches nothing but its own loop device, which it detaches.
# Keep it short on a shared machine: the default is 1 GiB and 3 rounds.
# ORVELLA_BENCH_DIR and ORVELLA_BENCH_DIRECT_IO put the loop device over a
# file on disk, with or without direct I/O (bench/tmpfs_loop.sh).
#
#   bench/erase-compare.sh [SIZE_MIB] [ROUNDS] [BUILD_DIR]
set -euo pipefail
size_mib=${1:-1024}
rounds=${2:-3}
build=${3:-build}
cli=$build/src/cli/orvella-cli
reference=$build/bench/orvella-reference-io
[[ $(id -u) -eq 0 ]] || { echo "the benchmark needs root for its loop device" >&2; exit 1; }
for program in "$cli" "$reference"; do
  [[ -x $program ]] || { echo "build $program first" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "the benchmark needs /usr/bin/time (package time)" >&2; exit 1; }

size=$((size_mib * 1024 * 1024))
blocks=$((size / 33554432))
source "$(dirname "$0")/tmpfs_loop.sh"
attach_tmpfs_loop "$size" compare
echo "$rounds rounds"
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
field() { sed -n "s/^\s*$1: *//p" "$folder/time.txt"; }

declare -A rate cpu rss
# measure NAME COMMAND...: one timed run; its throughput over $size bytes,
# CPU seconds per GB and peak memory in MiB are kept under NAME.
measure() {
  local name=$1
  shift
  local start end
  start=$(date +%s.%N)
  local status=0
  /usr/bin/time -v -o "$folder/time.txt" "$@" >"$folder/out.txt" 2>&1 || status=$?
  # An erase without read-back is complete but not proven: its exit code is not 0.
  [[ $name == erase ]] && grep -q 'Low-level format is complete.' "$folder/out.txt" && status=0
  ((status == 0)) || {
    echo "$name failed:" >&2
    tail -5 "$folder/out.txt" >&2
    exit 1
  }
  end=$(date +%s.%N)
  local seconds cpu_seconds
  seconds=$(calc "$end - $start")
  cpu_seconds=$(calc "$(field 'User time (seconds)') + $(field 'System time (seconds)')")
  rate[$name]+=" $(calc "$size / $seconds / 1e6")"
  cpu[$name]+=" $(calc "$cpu_seconds / ($size / 1e9)")"
  rss[$name]+=" $(calc "$(field 'Maximum resident set size (kbytes)') / 1024")"
  last_cpu=$cpu_seconds
}

measure idle "$cli" list
for ((round = 1; round <= rounds; round++)); do
  measure erase "$cli" erase "$loop" --yes --verify off
  erase_cpu=$last_cpu
  measure "erase+verify" "$cli" erase "$loop" --yes --verify full
  speed=$(sed -n 's/.*Average verification speed: \([0-9.,]*\) MB\/s.*/\1/p' "$folder/out.txt" | tr , .)
  rate[verify]+=" $speed"
  cpu[verify]+=" $(calc "($last_cpu - $erase_cpu) / ($size / 1e9)")"
  measure "dd write" dd if=/dev/zero of="$loop" bs=32M oflag=direct count="$blocks" status=none
  measure "reference write" "$reference" write "$loop"
  measure "dd read" dd if="$loop" of=/dev/null bs=32M iflag=direct count="$blocks" status=none
  measure "reference read" "$reference" read "$loop"
  echo "round $round: erase $(median ${rate[erase]##* }) MB/s, verify $speed MB/s," \
    "dd write ${rate[dd write]##* }, reference write ${rate[reference write]##* }," \
    "dd read ${rate[dd read]##* }, reference read ${rate[reference read]##* } MB/s"
done

printf '\n%-16s %12s %10s %14s\n' "" "MB/s" "CPU s/GB" "peak RSS MiB"
for name in erase verify "dd write" "reference write" "dd read" "reference read"; do
  printf '%-16s %12s %10s %14s\n' "$name" "$(median ${rate[$name]})" "$(median ${cpu[$name]})" \
    "$( [[ -n ${rss[$name]:-} ]] && median ${rss[$name]} || echo '(in erase+verify)')"
done
printf '%-16s %12s %10s %14s\n' "erase+verify" "" "" "$(median ${rss[erase+verify]})"
printf '%-16s %12s %10s %14s\n' "idle (list)" "" "" "$(median ${rss[idle]})"
r() { calc "$(median ${rate[$1]}) / $(median ${rate[$2]})"; }
echo
echo "erase / dd write: $(r erase 'dd write');  erase / reference write: $(r erase 'reference write')"
echo "verify / dd read: $(r verify 'dd read');  verify / reference read: $(r verify 'reference read')"
echo "erase peak memory above idle: $(calc "$(median ${rss[erase+verify]}) - $(median ${rss[idle]})") MiB"
