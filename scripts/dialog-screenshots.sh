#!/usr/bin/env bash
# Screenshots of the text dialog (beside a window drawing its caption) and the options dialog on
# a private Xvfb server with openbox. Usage: scripts/dialog-screenshots.sh [output folder]
# Writes <folder>/text-dialog.png and <folder>/options-dialog.png (default: screenshots/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=${1:-$root/screenshots}

velmora_build --quiet dialogs_preview
mkdir -p "$out"
velmora_private_x 1400x800
for which in text options; do
    QT_QPA_PLATFORM=xcb "$build/tests/captiondialog/dialogs_preview" "$which" 4 &
    app=$!
    sleep 3
    import -window root "$out/$which-dialog.png"
    wait "$app"
    echo "$out/$which-dialog.png"
done
