#!/usr/bin/env bash
# What a finished game costs: Quorril runs on a private virtual X desktop (Xvfb with openbox), a
# game against the computer is played with mouse clicks until someone wins, then the program's
# CPU time is taken over the next 10 seconds, while the winning line pulses.
#   bench_pulse [quorril binary]
set -euo pipefail
export QUORRIL_BIN=${1:-@QUORRIL_BINARY@}
export QUORRIL_ORIGIN=@SOURCE_DIR@/tests/support/board-origin.sh
export QUORRIL_BENCH_SUPPORT=@SOURCE_DIR@/bench/support/desktop-game.sh
source "$QUORRIL_BENCH_SUPPORT"
bench_needs bench_pulse "xvfb, openbox, xdotool, x11-utils, imagemagick" Xvfb openbox xdotool xwininfo import
bench_port_free bench_pulse

exec @SOURCE_DIR@/tests/support/with-desktop.sh bash -c '
  set -euo pipefail
  source "$QUORRIL_BENCH_SUPPORT"
  # Sounds off, so only the picture is measured; a click on a column plays there.
  bench_start_game bench_pulse "\x0bsndAmbiance\x0b\x00\x0bsndBruitage\x0b\x00\x0asndEndgame\x0b\x00\x0dclickForJeton\x0b\x01"

  read -r ox oy < <("$QUORRIL_ORIGIN")   # the board on the screen
  board="640x420+$ox+$oy"

  # Something on the board still moves: of four pictures taken a little apart, two in a row
  # differ (the pulse looks the same on both sides of its turning points, so two may not).
  moving() {
    import -window root -crop "$board" "$work/0.rgb" 2>/dev/null
    for k in 1 2 3; do
      sleep 0.07
      import -window root -crop "$board" "$work/$k.rgb" 2>/dev/null
      cmp -s "$work/$((k - 1)).rgb" "$work/$k.rgb" || return 0
    done
    return 1
  }

  won=no
  for move in $(seq 0 29); do
    xdotool mousemove $((ox + 75 + 70 * (move % 7) + 35)) $((oy + 200)) click 1
    sleep 2   # the fall, the answer and its fall
    # Falls are over by now; what still moves is the winning line.
    if moving; then won=yes; break; fi
  done
  [ "$won" = yes ] || { echo "bench_pulse: no game was won"; exit 1; }
  sleep 2   # the end-of-game show slides in
  hz=$(getconf CLK_TCK)
  before=$(bench_cpu_ticks)
  sleep 10
  after=$(bench_cpu_ticks)
  moving || { echo "bench_pulse: the winning line stopped"; exit 1; }
  awk -v t=$((after - before)) -v hz="$hz" "BEGIN { printf \"finished game, winning line pulsing: %.0f ms of CPU in 10 s = %.2f %% of a core\n\", t * 1000 / hz, t * 100 / hz / 10 }"
'
