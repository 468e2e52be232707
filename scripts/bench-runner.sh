#!/usr/bin/env bash
# Processor time of Velmora's own process while a tool runs for 5 seconds (goal: under 2 % of one core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target bench_runner >/dev/null
"$build/bench/runner/bench_runner" "${1:-5}"
