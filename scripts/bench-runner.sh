#!/usr/bin/env bash
# Processor time of Velmora's own process while a tool runs for 5 seconds (goal: under 2 % of one core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
velmora_build bench_runner
"$build/bench/runner/bench_runner" "${1:-5}"
