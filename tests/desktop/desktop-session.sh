#!/usr/bin/env bash
# Runs one command on a private desktop: an Xvfb server of its own (the display number chosen by
# the server, so parallel runs never collide) with openbox managing it, and stops both afterwards.
#
#   desktop-session.sh <command> [arguments...]
#
# The command inherits DISPLAY and QT_QPA_PLATFORM=xcb; its exit status is the script's. The
# screen is 1600x1000 unless VELMORA_DESKTOP_SIZE names another (WIDTHxHEIGHT).
# Exit status 77 (CTest's skip): this machine lacks Xvfb, openbox or xdotool.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib.sh"

for tool in Xvfb openbox xdotool xprop xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "desktop-session: $tool is not installed (scripts/install-deps.sh installs it)" >&2
        exit 77
    fi
done
trap 'exit 143' TERM INT HUP

velmora_private_x "${VELMORA_DESKTOP_SIZE:-1600x1000}" || exit 1
# A child, not exec: the server and the window manager are stopped when it ends.
QT_QPA_PLATFORM=xcb "$@"
