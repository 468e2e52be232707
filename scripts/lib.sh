# Shared by the scripts that build a target and show windows on a private X server.
# Source it after setting `root`; it sets `build`.
build=${VELMORA_BUILD_DIR:-$root/build}
_velmora_cleanup=()
trap 'for c in "${_velmora_cleanup[@]}"; do eval "$c"; done' EXIT

# velmora_build TARGET...: configures and builds only those targets.
velmora_build() {
    cmake -S "$root" -B "$build" >/dev/null
    local args=()
    for t in "$@"; do args+=(--target "$t"); done
    cmake --build "$build" -j "${VELMORA_JOBS:-2}" "${args[@]}" >/dev/null
}

# velmora_xvfb DISPLAY [WIDTHxHEIGHT]: starts a private Xvfb, exports DISPLAY and waits until the
# server takes clients; the server stops when the script ends.
velmora_xvfb() {
    local display=$1 size=${2:-1600x1000}
    Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    _velmora_cleanup+=("kill $! 2>/dev/null || true")
    export DISPLAY=$display
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb on $display did not start" >&2
    return 1
}

# velmora_sandbox_config: a fresh configuration folder (XDG_CONFIG_HOME) whose INI names the
# real tools, removed when the script ends.
velmora_sandbox_config() {
    local config
    config=$(mktemp -d)
    _velmora_cleanup+=("rm -rf '$config'")
    mkdir -p "$config/Velmora 1"
    printf '[Velmora 1]\nS1=/usr/bin/convert\nS2=/usr/bin/ffmpeg\nS3=/usr/bin/ffplay\nDestinationFolderPath=%s\n' \
        "$config" > "$config/Velmora 1/Velmora1.ini"
    export XDG_CONFIG_HOME=$config
}
