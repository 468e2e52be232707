# shellcheck shell=bash
# Shared by the scripts that build targets, find the tools, write an INI file or show windows on a
# private X server. Source it after setting `root`; it sets `build`.
build=${VELMORA_BUILD_DIR:-$root/build}
_velmora_cleanup=()
_velmora_run_cleanup() {
    local c
    for c in "${_velmora_cleanup[@]}"; do eval "$c"; done
}
trap _velmora_run_cleanup EXIT

# velmora_build [OPTIONS] [TARGET...]: configures a build folder and builds those targets (all of
# them when none is named). Every script builds through here, so a folder is always configured
# alike and never flips between types: RelWithDebInfo, warnings as errors under CI
# (VELMORA_WERROR=ON|OFF overrides), VELMORA_JOBS jobs (default: one a core).
#   --in FOLDER    the build folder (default: $build)
#   --configured   the folder was configured already (a test's own build tree): build only
#   --quiet        the build's progress hidden; its errors still show
#   -DNAME=VALUE   one more configure option (an instrumented build: a compiler, a feature)
velmora_build() {
    local folder=$build configure=1 quiet=0 options=() targets=() werror=OFF
    while (($#)); do
        case $1 in
        --in) folder=$2; shift ;;
        --configured) configure=0 ;;
        --quiet) quiet=1 ;;
        -D*) options+=("$1") ;;
        *) targets+=(--target "$1") ;;
        esac
        shift
    done
    # By hand a warning should not stop a build; CI treats every one as an error.
    [[ ${CI:-} == true ]] && werror=ON
    if ((configure)); then
        cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DVELMORA_WERROR="${VELMORA_WERROR:-$werror}" "${options[@]}" >/dev/null
    fi
    if ((quiet)); then
        cmake --build "$folder" -j "${VELMORA_JOBS:-$(nproc)}" "${targets[@]}" >/dev/null
    else
        cmake --build "$folder" -j "${VELMORA_JOBS:-$(nproc)}" "${targets[@]}"
    fi
}

# velmora_tool NAME: the full path of an external tool. /usr/bin first: some machines put
# stand-ins earlier on PATH.
velmora_tool() {
    if [[ -x /usr/bin/$1 ]]; then
        echo "/usr/bin/$1"
    elif ! command -v "$1"; then
        echo "$1 not found" >&2
        return 1
    fi
}

# velmora_write_ini FILE [KEY=VALUE...]: writes FILE (creating its folder) with the section
# [Velmora 1] naming convert, ffmpeg and ffplay as S1, S2, S3, then the extra lines. Writes
# nothing when a tool is missing: an INI with an empty path would outlive the fix.
velmora_write_ini() {
    local ini=$1 convert ffmpeg ffplay
    shift
    convert=$(velmora_tool convert) && ffmpeg=$(velmora_tool ffmpeg) && ffplay=$(velmora_tool ffplay) ||
        return 1
    mkdir -p "$(dirname "$ini")"
    {
        printf '[Velmora 1]\nS1=%s\nS2=%s\nS3=%s\n' "$convert" "$ffmpeg" "$ffplay"
        if (($#)); then printf '%s\n' "$@"; fi
    } >"$ini"
}

# velmora_sandbox_config: a fresh configuration folder (XDG_CONFIG_HOME) whose INI names the
# real tools, removed when the script ends.
velmora_sandbox_config() {
    local config
    config=$(mktemp -d)
    _velmora_cleanup+=("rm -rf '$config'")
    velmora_write_ini "$config/Velmora 1/Velmora1.ini" "DestinationFolderPath=$config"
    export XDG_CONFIG_HOME=$config
}

# velmora_private_x [WIDTHxHEIGHT [DISPLAY]]: starts a private Xvfb with the openbox window
# manager, so windows get the frames and placement of a desktop; exports DISPLAY. Both stop when
# the script ends. Without DISPLAY the server picks a free display number itself (others run their
# servers at the same time). A desktop that does not come up is started afresh, twice at most:
# servers starting and stopping side by side can leave one that no client reaches.
velmora_private_x() {
    local size=${1:-1400x900} display=${2:-} attempt
    for attempt in 1 2 3; do
        _velmora_start_private_x "$size" "$display" && return 0
        echo "private desktop: attempt $attempt failed" >&2
    done
    return 1
}

_velmora_start_private_x() {
    local size=$1 display=$2 where=() work fd xvfb wm
    work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-x.XXXXXX")
    _velmora_cleanup+=("rm -rf '$work'")
    exec {fd}>"$work/display"
    # With a display named the server takes that one, and still writes it once it listens.
    [[ -n $display ]] && where=(":${display#:}")
    Xvfb "${where[@]}" -displayfd "$fd" -screen 0 "${size}x24" -br -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    exec {fd}>&-
    _velmora_cleanup+=("kill $xvfb 2>/dev/null && wait $xvfb 2>/dev/null || true")
    for _ in $(seq 300); do
        [[ -s $work/display ]] && break
        # A server that quits at once usually found the display named taken.
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.1
    done
    if [[ ! -s $work/display ]]; then
        _velmora_private_x_failed "Xvfb did not name its display" "$work" "$xvfb"
        return 1
    fi
    DISPLAY=:$(head -1 "$work/display")
    export DISPLAY
    # Named is not yet proven reachable: a client must get through before the window manager starts.
    for _ in $(seq 100); do
        kill -0 "$xvfb" 2>/dev/null || break
        xprop -root >/dev/null 2>&1 && break
        sleep 0.1
    done
    if ! xprop -root >/dev/null 2>&1; then
        _velmora_private_x_failed "Xvfb on $DISPLAY takes no clients" "$work" "$xvfb"
        return 1
    fi
    # openbox with its stock configuration, never the user's own.
    XDG_CONFIG_HOME=$work/config openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm=$!
    _velmora_cleanup+=("kill $wm 2>/dev/null && wait $wm 2>/dev/null || true")
    # The window manager is up once it names its check window on the root window.
    for _ in $(seq 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.1
    done
    _velmora_private_x_failed "openbox did not start on $DISPLAY" "$work" "$xvfb" "$wm"
    return 1
}

# Says why, shows both logs and stops what was started, so that a retry begins clean.
_velmora_private_x_failed() {
    local why=$1 work=$2 pid log
    shift 2
    echo "$why" >&2
    for log in "$work"/xvfb.log "$work"/openbox.log; do
        [[ -s $log ]] && { echo "--- $(basename "$log")"; cat "$log"; } >&2
    done
    for pid in "$@"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    return 0
}
