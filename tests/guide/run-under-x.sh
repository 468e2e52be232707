#!/usr/bin/env bash
# Runs a test program on a private Xvfb (display chosen by the server) with openbox.
# Usage: run-under-x.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/install-deps.sh installs it" >&2; exit 1; }
done
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
exec {fd}>"$work/display"
Xvfb -displayfd "$fd" -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec {fd}>&-
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$work/display")
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
QT_QPA_PLATFORM=xcb "$@"
