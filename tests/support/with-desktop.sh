#!/usr/bin/env bash
# Runs a command on a private virtual X display managed by openbox, as a user's desktop would be,
# then stops both. The display number is the first free one, so runs never collide. The screen is
# 1280 x 800 unless --screen gives another size.
#   with-desktop.sh [--screen WIDTHxHEIGHT] command [args...]
set -u
screen=1280x800
if [ "${1:-}" = --screen ]; then
  [[ "${2:-}" =~ ^[0-9]+x[0-9]+$ ]] || { echo "with-desktop: --screen takes WIDTHxHEIGHT" >&2; exit 2; }
  screen=$2
  shift 2
fi
dir=$(mktemp -d)
cleanup() {
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$dir/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$dir/display" ] || { echo "with-desktop: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")"

# The server reports its display as soon as it listens, yet can still turn a client away for a
# moment: a window manager started then ends at once ("Failed to open the display"). So the
# display answers first, and a window manager that ended before it was ready starts again.
deadline=$((SECONDS + 30))
until xprop -root >/dev/null 2>&1; do
  [ "$SECONDS" -lt "$deadline" ] || { echo "with-desktop: display $DISPLAY does not answer" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
# openbox keeps its cache and session files in the private folder.
for _ in 1 2 3; do
  XDG_CACHE_HOME=$dir XDG_CONFIG_HOME=$dir HOME=$dir openbox --sm-disable >>"$dir/openbox.log" 2>&1 &
  wm=$!
  # Ready once its main loop handles events.
  "$(dirname "$0")/wm-ready.sh" "$wm" && break
  kill "$wm" 2>/dev/null
  wait "$wm" 2>/dev/null
  wm=""
done
[ -n "$wm" ] || { cat "$dir/openbox.log" >&2; exit 1; }

"$@"
