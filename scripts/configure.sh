#!/usr/bin/env bash
# Configures a build folder of this source tree: scripts/configure.sh DIR
# [cmake arguments...]. A new folder gets the Ninja generator (it keeps both
# cores busy across targets, which make does not); a folder configured
# before keeps the generator it has, since CMake refuses to change it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir=$1
shift
generator=()
if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
# A compiler cache, where the machine has one, makes rebuilds of unchanged
# sources (other build folders, other checkouts) nearly free.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$dir" "${generator[@]}" "${launcher[@]}" "$@" >/dev/null
