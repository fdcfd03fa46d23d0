#!/usr/bin/env bash
# Runs every benchmark built under bench/ and prints their figures, in a network that holds only
# the loopback interface (scripts/loopback-only.sh).
set -euo pipefail
[ -n "${QUORRIL_LOOPBACK_ONLY:-}" ] || exec "$(dirname "$0")/loopback-only.sh" "$0" "$@"
build=${1:-build}
for b in "$build"/bench/*/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
