#!/usr/bin/env bash
# The user guide's pictures of the windows, taken under a private Xvfb with openbox (so dialogs
# wear the frames a desktop gives them) by the programs the other screenshot scripts run: the main
# window (velmora_screenshots), the text and options dialogs (dialogs_preview), the build and
# completion dialogs (build_screens). Each shot is cut to its windows and written to
# doc/guide/images (or $1), where they are committed: the build and CI only copy them.
# The paths the windows show are a reader's own: the programs run with the home folder
# /home/alex, an empty tmpfs mounted over /home in a private mount namespace (unshare), so nothing
# of the machine's own homes or temporary folders appears in the guide.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=$(realpath -m "${1:-$root/doc/guide/images}")
velmora_build --quiet velmora_screenshots dialogs_preview build_screens velmora_svg2png

guide_home=/home/alex
if [[ -z ${VELMORA_GUIDE_NAMESPACE:-} ]]; then
    if [[ "$root/:$out/:$build/" == */home/* ]]; then
        echo "The repository or the output is under /home: the shots show a temporary home folder." >&2
    elif unshare -rm true 2>/dev/null; then
        exec unshare -rm env VELMORA_GUIDE_NAMESPACE=1 "$0" "$out"
    else
        echo "No private mount namespace here: the shots show a temporary home folder." >&2
    fi
    guide_home=$(mktemp -d)
    _velmora_cleanup+=("rm -rf '$guide_home'")
else
    mount -t tmpfs velmora-guide /home
fi
export HOME=$guide_home XDG_CONFIG_HOME=$guide_home/.config
mkdir -p "$HOME/Pictures" "$HOME/Music" "$HOME/Videos"
velmora_write_ini "$XDG_CONFIG_HOME/Velmora 1/Velmora1.ini" "DestinationFolderPath=$HOME/Videos" \
    "PictureFilePath=$HOME/Pictures" "AudioFilePath=$HOME/Music"
mkdir -p "$out"
raw=$(mktemp -d)
_velmora_cleanup+=("rm -rf '$raw'")

velmora_private_x 1400x900
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

"$build/tests/mainwindow/velmora_screenshots" "$raw" >/dev/null
for which in text options; do
    "$build/tests/captiondialog/dialogs_preview" "$which" 4 &
    app=$!
    sleep 3
    import -window root "$raw/$which-dialog.png"
    wait "$app"
done
"$build/bench/build/build_screens" "$raw" "$HOME/Videos" >/dev/null

# cut NAME OUTPUT [WIDTH]: the shot without the black screen around its windows, at most WIDTH
# pixels wide, as a small palette PNG.
cut() {
    convert "$raw/$1.png" -trim +repage -resize "${3:-900}x>" -strip -colors 256 "PNG8:$out/$2.png"
    echo "$out/$2.png"
}
cut main-window-at-rest main-window
cut main-window-picture-and-caption main-window-picture
cut main-window-size-menu size-menu
cut text-dialog caption-dialog 1100
cut options-dialog options-dialog
cut build-progress build-progress
cut complete-compact completion
"$build/packaging/velmora_svg2png" "$root/resources/skin/icon/102.svg" "$out/velmora.png" 96
echo "$out/velmora.png"
