#!/usr/bin/env bash
# Installs what is needed, builds, and shows Orvella at work on simulated
# drives only: the built-in demo machine, or the drive description file
# given. With a display it starts the desktop program (orvella-demo).
# Without one it runs a short scripted session of orvella-cli: the drive
# list, a drive's details and S.M.A.R.T. table, and a quick erase with its
# progress and format log.
#   scripts/demo.sh [--debug] [drive-file.json]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/configure.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build "$root/build" -j2 --target orvella-demo
  exec "$root/build/src/ui/qt/orvella-demo" "$@"
fi

cmake --build "$root/build" -j2 --target orvella-cli >/dev/null
cli="$root/build/src/cli/orvella-cli"
drives=(--demo)
debug=()
for arg in "$@"; do
  case "$arg" in
    --debug) debug=(--debug) ;;
    *) drives=(--drives "$arg") ;;
  esac
done

# The drives the session works on: on the demo machine the hard disk for
# the reports and the USB stick for the erase; in a file, the first drive
# that may be chosen (65535 sectors or more) for all three.
if [ "${drives[0]}" = --demo ]; then
  shown=0 erased=3
else
  shown=$("$cli" "${drives[@]}" --json list | awk '
    /^      "drive": [0-9]+,$/ { gsub(/[^0-9]/, ""); number = $0 }
    /^      "choosable": true/ { print number; exit }')
  [ -n "$shown" ] || { echo "demo.sh: ${drives[1]} has no drive of 65535 sectors or more" >&2; exit 1; }
  erased=$shown
fi

bold='' plain=''
if [ -t 1 ]; then bold=$'\033[1m' plain=$'\033[0m'; fi
step() {
  printf '\n%s$ orvella-cli %s%s\n' "$bold" "$*" "$plain"
  "$cli" "${drives[@]}" "${debug[@]}" "$@" || true
}
echo "No display: a scripted session of orvella-cli on simulated drives."
step list
step details "$shown"
step smart "$shown"
step erase "$erased" --quick --yes
