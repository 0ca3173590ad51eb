#!/usr/bin/env bash
# Installs the Debian packages that building and testing Orvella need.
set -euo pipefail
packages=(
  build-essential cmake googletest libgtest-dev nlohmann-json3-dev libcli11-dev
  qt6-base-dev xvfb xauth
  fdisk util-linux mount e2fsprogs
  python3 poppler-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
