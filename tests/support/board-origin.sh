#!/usr/bin/env bash
# Prints the screen position "x y" of the game window's board in a running Quorril on $DISPLAY.
# The frame is maximised; its area starts under the menu bar (19 pixels high with the default
# font), and the game window's content stands at 3,45 in that area.
set -euo pipefail
frame=$(xdotool search --sync --onlyvisible --name "^Quorril$" | head -n1)
info=$(xwininfo -id "$frame")
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
echo "$((x + 3)) $((y + 19 + 45))"
