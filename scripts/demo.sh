#!/usr/bin/env bash
# Installs what is needed and builds. With a display, starts the desktop
# program (orvella-demo) on the drives of the built-in demo machine (or of
# the drive description file given). Without one, walks those drives in
# debug mode, printing the debug log, the device catalogue and both reports
# of the first drive. Simulated drives only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build "$root/build" -j2 --target orvella-demo
  exec "$root/build/src/ui/qt/orvella-demo" "$@"
fi
cmake --build "$root/build" -j2 --target orvella-demo-walk
exec "$root/build/tools/orvella-demo-walk" "$@"
