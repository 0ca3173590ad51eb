#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (in build-fuzz/) and runs
# each one briefly from its seed corpus. Fails on any crash, leak,
# sanitizer finding or timeout; the input that caused it is kept in
# build-fuzz/artifacts/. FUZZ_SECONDS sets the time per target (default 15).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-15}"
build=build-fuzz
targets=(identify drive_answers drive_file command_line sense system_text record display_text)

# -O1 with line tables: the optimisation libFuzzer is usually built with,
# at the least compile time.
scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DORVELLA_BUILD_FUZZERS=ON -DORVELLA_BUILD_TESTS=OFF -DORVELLA_BUILD_QT=OFF
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzzer}"

artifacts="$build/artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Fuzzes one target; its log is kept in the scratch folder.
fuzz() {
  local target=$1
  # New inputs go to a scratch folder; the checked-in seeds are only read.
  mkdir "$work/$target"
  "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/$target-" "$work/$target" "fuzz/corpus/$target" >"$work/$target.log" 2>&1
}

# Each fuzzer uses one core: two run side by side.
failed=()
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pair=("${targets[@]:i:2}")
  echo "fuzzing ${pair[*]} for ${seconds}s"
  pids=()
  for target in "${pair[@]}"; do
    fuzz "$target" &
    pids+=($!)
  done
  for j in "${!pair[@]}"; do
    target=${pair[j]}
    if wait "${pids[j]}"; then
      grep -E '^#[0-9]+.*DONE' "$work/$target.log" | tail -n 1 || tail -n 1 "$work/$target.log"
    else
      tail -n 60 "$work/$target.log"
      failed+=("$target")
    fi
  done
done
if ((${#failed[@]})); then
  echo "fuzz-smoke: ${failed[*]} failed; the inputs are in $artifacts/" >&2
  exit 1
fi
echo "fuzz-smoke: all ${#targets[@]} targets ran ${seconds}s each without a finding"
