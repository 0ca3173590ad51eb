#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (in build-fuzz/) and runs
# each one briefly from its seed corpus. Fails on the first crash, leak,
# sanitizer finding or timeout; the input that caused it is kept in
# build-fuzz/artifacts/. FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"
build=build-fuzz
targets=(identify drive_answers drive_file command_line sense system_text)

# -O1 with line tables: the optimisation libFuzzer is usually built with,
# at the least compile time.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DORVELLA_BUILD_FUZZERS=ON -DORVELLA_BUILD_TESTS=OFF -DORVELLA_BUILD_QT=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzzer}"

artifacts="$build/artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder; the checked-in seeds are only read.
  mkdir "$work/$target"
  log="$work/$target.log"
  echo "fuzzing $target for ${seconds}s"
  if ! "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts/$target-" "$work/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz-smoke: $target failed; the input is in $artifacts/" >&2
    exit 1
  fi
  grep -E '^#[0-9]+.*DONE' "$log" | tail -n 1 || tail -n 1 "$log"
done
echo "fuzz-smoke: all ${#targets[@]} targets ran ${seconds}s each without a finding"
