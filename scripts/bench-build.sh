#!/usr/bin/env bash
# Builds and runs the video-build benchmark: a 3-minute song built through the progress dialog
# against the same encoder command run directly.
#   bench-build.sh [rounds]            the benchmark (default 3 rounds per format)
#   bench-build.sh --screens <folder>  screenshots of the build and completion dialogs (needs Xvfb)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

if [[ ${1:-} == --screens ]]; then
    folder=$(mkdir -p "${2:-.}" && cd "${2:-.}" && pwd)
    velmora_build build_screens
    velmora_xvfb "${VELMORA_SCREEN_DISPLAY:-:94}" 1024x768
    QT_QPA_PLATFORM=xcb "$build/bench/build/build_screens" "$folder"
    echo "Screenshots in $folder"
    exit 0
fi

velmora_build bench_build
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ffmpeg=$(velmora_tool ffmpeg)
convert=$(velmora_tool convert)
"$build/bench/build/bench_build" "$ffmpeg" "$convert" "${1:-3}"
