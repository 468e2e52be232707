#!/usr/bin/env bash
# Runs one command on a private desktop: an Xvfb server of its own (the display number chosen by
# the server, so parallel runs never collide) with openbox managing it, and stops both afterwards.
#
#   desktop-session.sh <command> [arguments...]
#
# The command inherits DISPLAY and QT_QPA_PLATFORM=xcb; its exit status is the script's.
# Exit status 77 (CTest's skip): this machine lacks Xvfb, openbox or xdotool.
set -uo pipefail

for tool in Xvfb openbox xdotool xprop xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "desktop-session: $tool is not installed (scripts/install-deps.sh installs it)" >&2
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-desktop.XXXXXX")
server_pid=""
wm_pid=""
cleanup() {
    [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

# wait_for SECONDS CONDITION...: runs CONDITION until it succeeds or the time is up.
wait_for() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.05
    done
}

# Xvfb writes the display number it took to the descriptor given, once it accepts clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
server_pid=$!
display=""
if ! read -r -t 30 display <"$work/display" || [[ -z $display ]]; then
    echo "desktop-session: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"

# openbox with its stock configuration, apart from the user's own.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is up once it names its check window on the root window.
wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
if ! wait_for 30 wm_running; then
    echo "desktop-session: openbox did not start on $DISPLAY" >&2
    cat "$work/openbox.log" >&2
    exit 1
fi

export QT_QPA_PLATFORM=xcb
"$@"
