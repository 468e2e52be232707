#!/usr/bin/env bash
# Configures and builds Velmora into ./build (or $VELMORA_BUILD_DIR); arguments name targets
# (all of them when none is given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
jobs=${VELMORA_JOBS:-$(nproc)}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$jobs" "${targets[@]}"
