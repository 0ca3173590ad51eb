#!/usr/bin/env bash
# Installs what is needed, builds, and walks the drives of the built-in demo
# machine (or of the drive description file given) in debug mode, printing
# the debug log, the device catalogue and both reports of the first drive.
# Simulated drives only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j2 --target orvella-demo-walk
exec "$root/build/tools/orvella-demo-walk" "$@"
