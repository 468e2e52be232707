#!/usr/bin/env bash
# Installs what is missing, builds Velmora, writes a first INI file with the system's tool paths
# (only when there is none, as an installer would) and starts Velmora. Without a display it
# starts a virtual one (Xvfb) first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" velmora
build=${VELMORA_BUILD_DIR:-$root/build}

config=${XDG_CONFIG_HOME:-$HOME/.config}
ini="$config/Velmora 1/Velmora1.ini"
if [[ ! -e "$ini" ]]; then
    # /usr/bin first: some machines put stand-ins earlier on PATH.
    tool() { if [[ -x "/usr/bin/$1" ]]; then echo "/usr/bin/$1"; else command -v "$1"; fi; }
    mkdir -p "$config/Velmora 1"
    printf '[Velmora 1]\nS1=%s\nS2=%s\nS3=%s\n' "$(tool convert)" "$(tool ffmpeg)" "$(tool ffplay)" > "$ini"
    echo "Wrote $ini"
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    export DISPLAY=:${VELMORA_XVFB_DISPLAY:-77}
    if ! xdpyinfo >/dev/null 2>&1; then
        Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
        echo "No display: started Xvfb on $DISPLAY"
    fi
fi
# Without a sound card SDL falls back to silence rather than failing.
if [[ ! -e /dev/snd ]] && [[ -z "${SDL_AUDIODRIVER:-}" ]]; then
    export SDL_AUDIODRIVER=dummy
fi
exec "$build/velmora" "$@"
