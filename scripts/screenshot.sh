#!/usr/bin/env bash
# Starts Quorril on a private virtual desktop (Xvfb with the openbox window manager), plays a few
# moves with the mouse and a chat line, and saves a picture of the whole screen as a user sees it
# (docs/screenshot.png by default).
#   scripts/screenshot.sh [build folder] [picture]
set -euo pipefail
[ -n "${QUORRIL_LOOPBACK_ONLY:-}" ] || exec "$(dirname "$0")/loopback-only.sh" "$0" "$@"
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
out=$(realpath -m "${2:-$root/docs/screenshot.png}")
for tool in Xvfb openbox xdotool xprop import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (xvfb, openbox, xdotool, x11-utils, imagemagick)"; exit 1; }
done
mkdir -p "$(dirname "$out")"
export QUORRIL_BIN=$build/quorril QUORRIL_SHOT=$out QUORRIL_ORIGIN=$root/tests/support/board-origin.sh
exec "$root/tests/support/with-desktop.sh" bash -c '
  set -euo pipefail
  config=$(mktemp -d)
  # No DNS-SD publication from here: the hosted game stays off the local network.
  DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent XDG_CONFIG_HOME=$config "$QUORRIL_BIN" >/dev/null 2>&1 & game=$!
  trap "kill $game 2>/dev/null; wait $game 2>/dev/null; rm -rf $config" EXIT
  sleep 4   # splash, handshake with the computer player, drawer opening

  read -r ox oy < <("$QUORRIL_ORIGIN")   # the board on the screen
  drag() {   # column, height of the lit token in the rack
    local x=$((ox + 75 + 70 * $1 + 35)) x0=$((ox + 600)) y0=$((oy + $2)) ytop=$((oy + 45))
    xdotool mousemove "$x0" "$y0" mousedown 1
    for s in 1 2 3 4 5 6 7 8; do
      xdotool mousemove $((x0 + (x - x0) * s / 8)) $((y0 - (y0 - ytop) * s / 8)); sleep 0.03
    done
    xdotool mouseup 1
    sleep 2.5
  }
  drag 3 365; drag 2 349; drag 4 332
  xdotool mousemove $((ox + 800)) $((oy + 262)) click 1; sleep 0.3
  xdotool type "Bonjour !"; xdotool key Return; sleep 1.5
  import -window root "$QUORRIL_SHOT"
  echo "saved $QUORRIL_SHOT"
'
