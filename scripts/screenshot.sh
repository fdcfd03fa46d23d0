#!/usr/bin/env bash
# Starts Quorril on a virtual X display, plays a few moves with the mouse and a chat line, and
# saves a picture of the game window with its drawer (docs/screenshot.png by default).
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshot.png}
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (xvfb, xdotool, imagemagick)"; exit 1; }
done

display=:97
config=$(mktemp -d)
Xvfb "$display" -screen 0 1000x480x24 >/dev/null 2>&1 & xvfb=$!
trap 'kill "${game:-}" "$xvfb" 2>/dev/null; rm -rf "$config"' EXIT
sleep 1
export DISPLAY=$display
XDG_CONFIG_HOME=$config "$build/quorril" >/dev/null 2>&1 & game=$!
sleep 4   # splash, handshake with the computer player, drawer opening

# The game window's content stands at 3,45; the lit token of the right rack at its bottom.
drag() {
  local col=$1 x=$((3 + 75 + 70 * $1 + 35)) y0=$2
  xdotool mousemove 601 "$y0" mousedown 1
  for s in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((601 + (x - 601) * s / 8)) $((y0 - (y0 - 90) * s / 8)); sleep 0.03
  done
  xdotool mouseup 1
  sleep 2.5
}
drag 3 410; drag 2 394; drag 4 377
xdotool mousemove 800 306 click 1; sleep 0.3
xdotool type "Bonjour !"; xdotool key Return; sleep 1.5
mkdir -p "$(dirname "$out")"
import -window root -crop 960x470+0+0 "$out"
echo "saved $out"
