#!/usr/bin/env bash
# Start to a ready main window, idle memory, and a 12-megapixel JPEG dropped to its preview,
# under a virtual X server with the real tools.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target bench_mainwindow >/dev/null
config=$(mktemp -d)
trap 'rm -rf "$config"; [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null || true' EXIT
mkdir -p "$config/Velmora 1"
printf '[Velmora 1]\nS1=/usr/bin/convert\nS2=/usr/bin/ffmpeg\nS3=/usr/bin/ffplay\nDestinationFolderPath=%s\n' "$config" \
    > "$config/Velmora 1/Velmora1.ini"
export DISPLAY=:97
Xvfb :97 -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
XDG_CONFIG_HOME="$config" SDL_AUDIODRIVER=dummy "$build/bench/mainwindow/bench_mainwindow" "${1:-3}"
