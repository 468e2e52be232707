#!/usr/bin/env bash
# Installs what is missing, builds Velmora, writes a first INI file with the system's tool paths
# (only when there is none, as an installer would) and starts Velmora with the arguments given.
# Without a display it starts a virtual one (Xvfb with openbox) first and stops it when Velmora
# ends.
# Returns Velmora's exit status.
#   VELMORA_SKIP_BUILD=1     skip installing and building (start what is in the build folder)
#   VELMORA_XVFB_DISPLAY=N   the display for the virtual server (default 77)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

if [[ ${VELMORA_SKIP_BUILD:-} != 1 ]]; then
    "$root/scripts/install-deps.sh"
    velmora_build velmora
fi

ini="${XDG_CONFIG_HOME:-$HOME/.config}/Velmora 1/Velmora1.ini"
if [[ ! -e $ini ]]; then
    velmora_write_ini "$ini"
    echo "Wrote $ini"
fi

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    display=${VELMORA_XVFB_DISPLAY:-77}
    display=:${display#:} # the other scripts write it with the colon
    if DISPLAY=$display xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=$display
        echo "No display: using the X server already on $DISPLAY"
    else
        velmora_private_x 1600x1000 "$display"
        echo "No display: started Xvfb on $DISPLAY"
    fi
fi
# Without a sound card SDL falls back to silence rather than failing.
if [[ ! -e /dev/snd && -z ${SDL_AUDIODRIVER:-} ]]; then
    export SDL_AUDIODRIVER=dummy
fi

# A child rather than exec, so that the Xvfb above and its window manager are stopped when Velmora
# ends. A script's background job ignores SIGINT, hence env.
env --default-signal=INT,QUIT "$build/velmora" "$@" &
app=$!
for sig in INT TERM HUP; do
    # shellcheck disable=SC2064 # the signal and the process id are meant to be fixed now
    trap "kill -$sig $app 2>/dev/null || true" "$sig"
done
# A signal interrupts wait; wait again until Velmora has ended, then take its status.
while kill -0 "$app" 2>/dev/null; do
    wait "$app" || true
done
status=0
wait "$app" || status=$?
exit "$status"
