#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Dravik needs.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  build-essential cmake pkg-config
  libgtest-dev googletest
  firebird-dev libfbclient2
  libsodium-dev
  firebird3.0-server-core firebird3.0-utils firebird3.0-server
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth time bc
  nlohmann-json3-dev help2man man-db bsdextrautils xdotool
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
