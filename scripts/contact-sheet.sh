#!/usr/bin/env bash
# Renders every face of every skinned button, the frame pieces and the icon into one PNG.
# Usage: scripts/contact-sheet.sh [output.png] [device pixel ratio]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
out=${1:-$root/screenshots/contact-sheet.png}
ratio=${2:-1}
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "${VELMORA_JOBS:-2}" --target skin_contact_sheet >/dev/null
mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=offscreen "$build/tests/skin/skin_contact_sheet" "$out" "$ratio"
echo "$out"
