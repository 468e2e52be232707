#!/usr/bin/env bash
# Configures and builds Velmora into ./build (or $VELMORA_BUILD_DIR); arguments name targets
# (all of them when none is given). VELMORA_WERROR=ON|OFF overrides the warnings-as-errors choice.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
jobs=${VELMORA_JOBS:-$(nproc)}
# CI treats every compiler warning as an error; by hand a warning should not stop a build.
werror=OFF
[[ ${CI:-} == true ]] && werror=ON
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR="${VELMORA_WERROR:-$werror}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$jobs" "${targets[@]}"
