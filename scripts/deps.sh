#!/usr/bin/env bash
# Installs the Debian packages Quorril needs, when any is missing: what building and running the
# game needs ("run", for `make run`), or that and what the tests, the benchmarks and the screenshot
# need ("test", for `make test`). Installing goes through sudo for an ordinary user.
#   deps.sh run|test
set -euo pipefail

run=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-multimedia-dev qt6-qpa-plugins libgl-dev
  libavahi-client-dev avahi-daemon dbus
  fonts-dejavu-core
)
test=(
  libgtest-dev libgmock-dev
  avahi-utils iproute2
  clang libclang-rt-dev
  nftables
  xvfb xauth x11-utils openbox xdotool imagemagick
)

case "${1:-test}" in
  run) packages=("${run[@]}") ;;
  test) packages=("${run[@]}" "${test[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

# What is installed, and what installed packages provide: a name that one release ships as a
# package of its own and another only as a virtual one (libqt6opengl6-dev, provided by
# qt6-base-dev on Debian 13) counts as present either way, so nothing is reinstalled at every start.
present=$(dpkg-query -W -f='${db:Status-Abbrev}|${Package}|${Provides}\n' 2>/dev/null |
  awk -F'|' '$1 ~ /^ii/ {
    print $2
    n = split($3, provided, ",")
    for (i = 1; i <= n; i++) { name = provided[i]; sub(/^ +/, "", name); sub(/[ (].*/, "", name); print name }
  }' | sort -u)
missing=()
for p in "${packages[@]}"; do
  grep -qxF -- "$p" <<<"$present" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
