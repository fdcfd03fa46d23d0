#!/usr/bin/env bash
# Installs the Debian packages Quorril needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-multimedia-dev qt6-qpa-plugins libgl-dev
  libavahi-client-dev avahi-daemon avahi-utils dbus iproute2
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core
  xvfb xauth x11-utils openbox xdotool imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
