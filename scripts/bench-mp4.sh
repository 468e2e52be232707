#!/usr/bin/env bash
# Builds and runs the MP4 benchmark: a 3-minute song (FLAC and M4A) built at 1920x1080 through the
# build dialog against the usual one-liner at 1 fps and the audio alone, interleaved.
#   bench-mp4.sh [rounds]   (default 3 rounds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

velmora_build bench_mp4
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$build/bench/build/bench_mp4" "$(velmora_tool ffmpeg)" "$(velmora_tool convert)" "${1:-3}"
