#!/usr/bin/env bash
# The window while the DNS-SD daemon stalls, is busy or restarts, and the quit with a stalled
# daemon: each case beside a daemon of its own, in a process of its own.
#   bench_bonjour [libBonjour.so]     (another build's plug-in, to compare)
# QUORRIL_BENCH_STALL_S sets how long the daemon stays stopped in the first case (30 s).
set -uo pipefail
plugin=${1:-@BONJOUR_PLUGIN@}
for scenario in stall busy quit restart; do
  @SOURCE_DIR@/tests/support/with-avahi.sh env QT_QPA_PLATFORM=offscreen @BONJOUR_STALLS@ "$scenario" "$plugin"
  status=$?
  if [ "$status" -gt 128 ]; then
    echo "$scenario: the program crashed (signal $((status - 128)))"
  elif [ "$status" -ne 0 ]; then
    echo "$scenario: failed ($status)"
  fi
done
