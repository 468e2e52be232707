#!/usr/bin/env bash
# Screenshots of the main window under a virtual X server: at rest, with a picture and caption,
# with the target-size menu open, and resized larger. Written to ./screenshots (or $1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=$(realpath -m "${1:-$root/screenshots}")
velmora_build velmora_screenshots
velmora_sandbox_config
velmora_xvfb "${VELMORA_XVFB_DISPLAY:-:96}"
SDL_AUDIODRIVER=dummy "$build/tests/mainwindow/velmora_screenshots" "$out"
