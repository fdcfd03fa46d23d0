#!/usr/bin/env bash
# Runs every test, in a network that holds only the loopback interface (scripts/loopback-only.sh):
# tests reach 127.0.0.0/8 and nothing else. GUI tests use Qt's offscreen platform; the tests that
# need a desktop or a DNS-SD daemon start their own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
exec "$root/scripts/loopback-only.sh" ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
