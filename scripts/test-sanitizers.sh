#!/usr/bin/env bash
# Builds the whole project in Debug with AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-asan/) and runs the whole test
# suite; any finding fails its test and so the script.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
# Line tables (-g1) are all a sanitizer report needs, at a fraction of the
# compile time of full debug information.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j2

# Leak checking is on for everything, the Qt widget tests included: they
# leave no leak report, so no suppression is needed.
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j2
