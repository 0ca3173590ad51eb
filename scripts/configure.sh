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
cmake -S "$root" -B "$dir" "${generator[@]}" "$@" >/dev/null
