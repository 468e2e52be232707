#!/usr/bin/env bash
# Start to a ready main window, idle memory, and a 12-megapixel JPEG dropped to its preview,
# under a virtual X server with the real tools. Usage: bench-mainwindow.sh [rounds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
velmora_build bench_mainwindow
velmora_sandbox_config
velmora_xvfb "${VELMORA_XVFB_DISPLAY:-:97}"
SDL_AUDIODRIVER=dummy "$build/bench/mainwindow/bench_mainwindow" "${1:-3}"
