#!/usr/bin/env bash
# Builds and runs the video-build benchmark: a 3-minute song built through the progress dialog
# against the same encoder command run directly.
#   bench-build.sh [rounds]            the benchmark (default 3 rounds per format)
#   bench-build.sh --screens <folder>  screenshots of the build and completion dialogs (needs Xvfb)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" >/dev/null

if [[ ${1:-} == --screens ]]; then
    folder=$(mkdir -p "${2:-.}" && cd "${2:-.}" && pwd)
    cmake --build "$build" -j2 --target build_screens >/dev/null
    display=${VELMORA_SCREEN_DISPLAY:-:94}
    Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill "$xvfb"' EXIT
    sleep 1
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/bench/build/build_screens" "$folder"
    echo "Screenshots in $folder"
    exit 0
fi

cmake --build "$build" -j2 --target bench_build >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ffmpeg=$(command -v /usr/bin/ffmpeg || command -v ffmpeg)
"$build/bench/build/bench_build" "$ffmpeg" /usr/bin/convert "${1:-3}"
