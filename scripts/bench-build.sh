#!/usr/bin/env bash
# Builds and runs the video-build benchmark: a 3-minute song built through the progress dialog
# against the same encoder command run directly. Usage: bench-build.sh [rounds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target bench_build >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ffmpeg=$(command -v /usr/bin/ffmpeg || command -v ffmpeg)
"$build/bench/build/bench_build" "$ffmpeg" /usr/bin/convert "${1:-3}"
