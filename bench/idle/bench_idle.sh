#!/usr/bin/env bash
# What a game waiting for its player costs: Quorril runs on a private virtual X desktop (Xvfb with
# openbox), a game against the computer opens, its drawer beside it, and waits for the first move;
# the program's CPU time is then taken over the next 60 seconds.
#   bench_idle [quorril binary]
set -euo pipefail
export QUORRIL_BIN=${1:-@QUORRIL_BINARY@}
desktop=@SOURCE_DIR@/tests/support/with-desktop.sh
for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null || { echo "bench_idle: $tool is missing (xvfb, openbox)"; exit 1; }
done

# The game against the computer is hosted on port 1234: with the port taken, no game starts.
if (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null; then
  echo "bench_idle: port 1234 is in use; run it when the port is free (or in a network namespace of its own)"
  exit 1
fi

exec "$desktop" bash -c '
  set -euo pipefail
  work=$(mktemp -d)
  # Sounds off, so only the windows are measured.
  printf "\x0bsndAmbiance\x0b\x00\x0bsndBruitage\x0b\x00\x0asndEndgame\x0b\x00" >"$work/Quorril prefs."
  DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent XDG_CONFIG_HOME=$work "$QUORRIL_BIN" >"$work/log" 2>&1 & game=$!
  trap "kill $game 2>/dev/null; wait $game 2>/dev/null; rm -rf $work" EXIT
  sleep 4   # splash, handshake with the computer player, drawer opening
  kill -0 $game 2>/dev/null || { echo "bench_idle: the program ended"; cat "$work/log"; exit 1; }

  # The count of the whole process, which keeps the time of threads that ended meanwhile; a long
  # span makes its clock ticks fine enough for a tenth of a percent.
  cpu_ticks() { sed "s/^.*) //" "/proc/$game/stat" | awk "{print \$12 + \$13}"; }
  hz=$(getconf CLK_TCK)
  seconds=60
  before=$(cpu_ticks)
  sleep $seconds
  after=$(cpu_ticks)
  kill -0 $game 2>/dev/null || { echo "bench_idle: the program ended"; exit 1; }
  awk -v t=$((after - before)) -v hz="$hz" -v s=$seconds "BEGIN { printf \"game waiting for its player: %.0f ms of CPU in %d s = %.2f %% of a core\n\", t * 1000 / hz, s, t * 100 / hz / s }"
'
