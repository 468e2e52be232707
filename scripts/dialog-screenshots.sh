#!/usr/bin/env bash
# Screenshots of the text dialog (beside a window drawing its caption) and the options dialog on
# a private Xvfb server. Usage: scripts/dialog-screenshots.sh [output folder]
# Writes <folder>/text-dialog.png and <folder>/options-dialog.png (default: screenshots/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
out=${1:-$root/screenshots}
display=${VELMORA_XVFB_DISPLAY:-:95}

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "${VELMORA_JOBS:-2}" --target dialogs_preview >/dev/null
mkdir -p "$out"
Xvfb "$display" -screen 0 1400x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
    sleep 0.1
done
for which in text options; do
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/tests/textdialog/dialogs_preview" "$which" 4 &
    app=$!
    sleep 3
    import -display "$display" -window root "$out/$which-dialog.png"
    wait "$app"
    echo "$out/$which-dialog.png"
done
