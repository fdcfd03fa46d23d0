#!/usr/bin/env bash
# What a game waiting for its player costs: Quorril runs on a private virtual X desktop (Xvfb with
# openbox), a game against the computer opens, its drawer beside it, and waits for the first move;
# the program's CPU time is then taken over the next 60 seconds.
#   bench_idle [quorril binary]
set -euo pipefail
export QUORRIL_BIN=${1:-@QUORRIL_BINARY@}
export QUORRIL_BENCH_SUPPORT=@SOURCE_DIR@/bench/support/desktop-game.sh
source "$QUORRIL_BENCH_SUPPORT"
bench_needs bench_idle "xvfb, openbox" Xvfb openbox
bench_port_free bench_idle

exec @SOURCE_DIR@/tests/support/with-desktop.sh bash -c '
  set -euo pipefail
  source "$QUORRIL_BENCH_SUPPORT"
  # Sounds off, so only the windows are measured.
  bench_start_game bench_idle "\x0bsndAmbiance\x0b\x00\x0bsndBruitage\x0b\x00\x0asndEndgame\x0b\x00"

  # The count of the whole process, which keeps the time of threads that ended meanwhile; a long
  # span makes its clock ticks fine enough for a tenth of a percent.
  hz=$(getconf CLK_TCK)
  seconds=60
  before=$(bench_cpu_ticks)
  sleep $seconds
  after=$(bench_cpu_ticks)
  kill -0 $game 2>/dev/null || { echo "bench_idle: the program ended"; exit 1; }
  awk -v t=$((after - before)) -v hz="$hz" -v s=$seconds "BEGIN { printf \"game waiting for its player: %.0f ms of CPU in %d s = %.2f %% of a core\n\", t * 1000 / hz, s, t * 100 / hz / s }"
'
