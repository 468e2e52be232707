#!/usr/bin/env bash
# Renders every face of every skinned button, the frame pieces and the icon into one PNG, and
# (when Xvfb and openbox are installed) a screenshot of the main window's template laid out with the
# skin, on a private Xvfb with openbox.
# Usage: scripts/contact-sheet.sh [output folder] [device pixel ratio]
# Writes <folder>/contact-sheet.png and <folder>/main-window-skin.png (default: screenshots/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=${1:-$root/screenshots}
ratio=${2:-1}

velmora_build --quiet skin_contact_sheet skin_preview
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/tests/skin/skin_contact_sheet" "$out/contact-sheet.png" "$ratio"
echo "$out/contact-sheet.png"

for tool in Xvfb openbox; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool not installed: no window screenshot" >&2
        exit 0
    fi
done
velmora_private_x 1000x800
QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$ratio \
    "$build/tests/skin/skin_preview" "$out/main-window-skin.png"
echo "$out/main-window-skin.png"
