# What the benchmarks of a game on a virtual desktop share; sourced by them, outside and inside
# the desktop (tests/support/with-desktop.sh).

# Ends the benchmark NAME unless every tool is there; PACKAGES says where they come from.
#   bench_needs NAME PACKAGES TOOL...
bench_needs() {
  local name=$1 packages=$2 tool
  shift 2
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$name: $tool is missing ($packages)"; exit 1; }
  done
}

# The game against the computer is hosted on port 1234: with the port taken, no game starts.
#   bench_port_free NAME
bench_port_free() {
  if (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null; then
    echo "$1: port 1234 is in use; run it when the port is free (or in a network namespace of its own)"
    exit 1
  fi
}

# Starts the program ($QUORRIL_BIN) with a preferences file made by printf from FORMAT, in a
# folder of its own, away from the machine's own bus; it is ended, and the folder removed, when
# the benchmark ends. Sets game (its process id) and work (the folder). Returns once the start-up
# is over (the splash, the handshake with the computer player, the drawer's opening).
#   bench_start_game NAME FORMAT
bench_start_game() {
  work=$(mktemp -d)
  printf "$2" >"$work/Quorril prefs."
  DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent XDG_CONFIG_HOME=$work "$QUORRIL_BIN" >"$work/log" 2>&1 &
  game=$!
  trap 'kill "$game" 2>/dev/null; wait "$game" 2>/dev/null; rm -rf "$work"' EXIT
  sleep 4
  kill -0 "$game" 2>/dev/null || { echo "$1: the program ended"; cat "$work/log"; exit 1; }
}

# The CPU clock ticks of the program so far, user and system, threads that ended included.
bench_cpu_ticks() { sed "s/^.*) //" "/proc/$game/stat" | awk '{print $12 + $13}'; }
