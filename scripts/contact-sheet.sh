#!/usr/bin/env bash
# Renders every face of every skinned button, the frame pieces and the icon into one PNG, and
# (when Xvfb is installed) a screenshot of the main window's template laid out with the skin.
# Usage: scripts/contact-sheet.sh [output folder] [device pixel ratio]
# Writes <folder>/contact-sheet.png and <folder>/main-window-skin.png (default: screenshots/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
out=${1:-$root/screenshots}
ratio=${2:-1}
display=${VELMORA_XVFB_DISPLAY:-:92}

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "${VELMORA_JOBS:-2}" --target skin_contact_sheet skin_preview >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/tests/skin/skin_contact_sheet" "$out/contact-sheet.png" "$ratio"
echo "$out/contact-sheet.png"

if ! command -v Xvfb >/dev/null; then
    echo "Xvfb not installed: no window screenshot" >&2
    exit 0
fi
Xvfb "$display" -screen 0 1000x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
    sleep 0.1
done
DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$ratio \
    "$build/tests/skin/skin_preview" "$out/main-window-skin.png"
echo "$out/main-window-skin.png"
