#!/usr/bin/env bash
# Runs every test. GUI tests use Qt's offscreen platform, so no display server is needed.
set -uo pipefail
build=${1:-build}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
