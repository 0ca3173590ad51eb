#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Line tables (-g1) are what the backtrace of a failing test needs; full
# debug information would make the build a fifth slower.
scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
