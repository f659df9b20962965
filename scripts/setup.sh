#!/usr/bin/env bash
# Installs what building, running and testing the editor needs (Debian 12).
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES=(
  build-essential cmake ninja-build pkg-config git python3
  qt6-base-dev qt6-multimedia-dev libqt6svg6 qt6-qpa-plugins
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  fonts-liberation
  xvfb xauth xdotool imagemagick x11-utils openbox desktop-file-utils
  pulseaudio pulseaudio-utils sox
  python3-mido
  clang libclang-rt-14-dev clang-tidy clang-format
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
