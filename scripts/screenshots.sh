#!/usr/bin/env bash
# Screenshots of the main window on a private Xvfb with openbox: at rest, with a picture and caption,
# with the target-size menu open, and resized larger. Written to ./screenshots (or $1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=$(realpath -m "${1:-$root/screenshots}")
velmora_build --quiet velmora_screenshots
velmora_sandbox_config
velmora_private_x 1600x1000
SDL_AUDIODRIVER=dummy "$build/tests/mainwindow/velmora_screenshots" "$out"
