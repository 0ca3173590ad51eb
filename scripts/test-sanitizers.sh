#!/usr/bin/env bash
# Builds the project in Debug with AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-asan/) and runs its test suite; any
# finding fails its test and so the script. The Qt widgets are left out to
# keep CI short: the window logic under them (src/app) is built and tested
# here through its fakes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
# Line tables (-g1) are all a sanitizer report needs, at a fraction of the
# compile time of full debug information.
scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DORVELLA_BUILD_QT=OFF
cmake --build "$build" -j2

# Leak checking is on for everything; nothing needs a suppression.
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j2
