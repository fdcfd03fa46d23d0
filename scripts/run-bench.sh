#!/usr/bin/env bash
# Runs every benchmark built under bench/ and prints their figures.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench/*/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
