#!/usr/bin/env bash
# Runs the whole suite several rounds while every core is kept busy, as on a loaded machine: a
# test that waits for a fixed time rather than for what it checks fails here.
#   scripts/stress-tests.sh [build folder] [rounds]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
rounds=${2:-5}
busy=()
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null; wait 2>/dev/null' EXIT
"$root/scripts/loopback-only.sh" ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600 \
  --repeat "until-fail:$rounds"
