#!/usr/bin/env bash
# Builds the frame reader's fuzzer with clang (libFuzzer, AddressSanitizer, UBSan) into a
# folder of the build (build/fuzz unless given) and runs it for a bounded time from the seed
# corpus; fails on any finding.
#   scripts/fuzz.sh [seconds] [folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
out=${2:-$root/build/fuzz}
mkdir -p "$out/corpus" "$out/artifacts"
cxx=${CXX_FUZZ:-clang++}
if ! command -v "$cxx" >/dev/null; then
  echo "fuzz.sh: $cxx not found" >&2
  exit 1
fi
src=("$root/tests/fuzz/fuzz_frames.cpp" "$root/net/framecodec.cpp")
bin=$out/fuzz_frames
if [ ! -x "$bin" ] || [ -n "$(find "${src[@]}" "$root/net/framecodec.h" -newer "$bin" 2>/dev/null)" ]; then
  "$cxx" -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -I"$root" "${src[@]}" -o "$bin"
fi
# The run's own corpus grows in the build folder; the seeds stay as they are.
cp -n "$root"/tests/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$bin" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus"
