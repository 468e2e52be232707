#!/usr/bin/env bash
# Runs a test program on a private Xvfb (display chosen by the server) with openbox.
# Usage: run-under-x.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib.sh"
for tool in Xvfb openbox xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/install-deps.sh installs it" >&2; exit 1; }
done
velmora_private_x 1400x900
# A child, not exec: the server and the window manager are stopped when it ends.
status=0
QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
