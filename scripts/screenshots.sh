#!/usr/bin/env bash
# Screenshots of the main window under a virtual X server: at rest, with a picture and caption,
# with the target-size menu open, and resized larger. Written to ./screenshots (or $1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/screenshots}")
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target velmora_screenshots >/dev/null
config=$(mktemp -d)
trap 'rm -rf "$config"; [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null || true' EXIT
mkdir -p "$config/Velmora 1"
printf '[Velmora 1]\nS1=/usr/bin/convert\nS2=/usr/bin/ffmpeg\nS3=/usr/bin/ffplay\nDestinationFolderPath=%s\n' "$config" \
    > "$config/Velmora 1/Velmora1.ini"
export DISPLAY=:${VELMORA_SHOT_DISPLAY:-96}
Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
XDG_CONFIG_HOME="$config" SDL_AUDIODRIVER=dummy "$build/tests/mainwindow/velmora_screenshots" "$out"
