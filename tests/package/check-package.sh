#!/usr/bin/env bash
# Makes the Debian package from the built tree, checks its control file and contents, validates its
# desktop entry and metainfo, unpacks it into a private root and starts the unpacked program under
# Xvfb with openbox, as a new user would after installing it:
#   1. empty user configuration, the package's system-wide INI found through XDG_CONFIG_DIRS:
#      the main window appears, no message, nothing written; F1 opens the installed guide;
#   2. a system-wide INI naming a missing tool first in XDG_CONFIG_DIRS: the start-up message,
#      naming that INI, read back through the clipboard (Ctrl+C in the box), and exit status 1;
#   3. a picture and a song on the command line: the main window, no message.
# Usage: check-package.sh BUILD_DIR CLIPBOARD_HELPER WORK_DIR   (screenshots land in WORK_DIR/shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib.sh"
build=$1 clipboard=$2 work=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    "$@" >/dev/null 2>&1 || fail "$what"
    echo "ok: $what"
}

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli Xvfb openbox xdotool xprop file import; do
    command -v "$tool" >/dev/null || fail "$tool is missing: scripts/install-deps.sh installs it"
done

rm -rf "$work"
mkdir -p "$work/out" "$work/shots"

# ---------------------------------------------------------------- the package
# Up to date with the sources (a no-op after a full build), then packed from the build folder.
velmora_build --in "$build" --configured --quiet velmora velmora_install_files
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
started=$(date +%s%N)
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    fail "cpack could not make the package"
}
echo "cpack took $((($(date +%s%N) - started) / 1000000)) ms"
deb=$work/out/velmora_${version}_amd64.deb
check "the package is named velmora_${version}_amd64.deb" test -f "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
check "control: Package velmora" test "$(field Package)" = velmora
check "control: Version $version" test "$(field Version)" = "$version"
check "control: Architecture amd64" test "$(field Architecture)" = amd64
check "control: a maintainer and a description" test -n "$(field Maintainer)" -a -n "$(field Description)"
depends=$(field Depends)
for dep in imagemagick ffmpeg libqt6widgets6 libqt6svg6 libavformat libavcodec libswresample libsdl2 libc6; do
    [[ ", $depends" == *", $dep"* ]] || fail "control: Depends lacks $dep: $depends"
done
echo "ok: control: Depends computed from the binary, plus imagemagick and ffmpeg"
conffiles=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles)
check "control: the system-wide INI is a conffile" test "$conffiles" = "/etc/xdg/Velmora 1/Velmora1.ini"

contents=$(dpkg-deb -c "$deb" | sed 's/.* \.\//\//')
for path in /usr/bin/velmora /usr/bin/velmora-render /usr/share/man/man1/velmora-render.1.gz \
    /usr/share/applications/velmora.desktop \
    /usr/share/icons/hicolor/scalable/apps/velmora.svg \
    /usr/share/icons/hicolor/256x256/apps/velmora.png \
    /usr/share/metainfo/app.velmora.Velmora.metainfo.xml \
    /usr/share/man/man1/velmora.1.gz \
    "/etc/xdg/Velmora 1/Velmora1.ini" \
    /usr/share/velmora/guide/index.html; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
echo "ok: contents: binary, desktop entry, icons, metainfo, man page, system INI, guide"

unpacked=$work/root
dpkg-deb -x "$deb" "$unpacked"
share=$unpacked/usr/share
check "the binary is a stripped 64-bit program" grep -q "ELF 64-bit.*stripped" <<<"$(file -L "$unpacked/usr/bin/velmora")"
[[ $(file -L "$unpacked/usr/bin/velmora") != *"not stripped"* ]] || fail "the binary is not stripped"
missing=$(ldd "$unpacked/usr/bin/velmora" | grep "not found" || true)
check "every library of the binary is found" test -z "$missing"
check "velmora --version answers without a display" \
    test "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$unpacked/usr/bin/velmora" --version)" = "Velmora $version"
check "velmora-render --version answers without a display" \
    test "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$unpacked/usr/bin/velmora-render" --version)" = "velmora-render $version"
check "velmora-render links no Qt Widgets" test -z "$(ldd "$unpacked/usr/bin/velmora-render" | grep -E 'libQt6Widgets|not found' || true)"
check "the 256x256 icon is a 256 x 256 PNG" grep -q "PNG image data, 256 x 256" <<<"$(file "$share/icons/hicolor/256x256/apps/velmora.png")"

desktop=$share/applications/velmora.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
echo "ok: desktop-file-validate"
check "desktop entry: Exec passes files (%F)" grep -qx "Exec=velmora %F" "$desktop"
check "desktop entry: Icon=velmora" grep -qx "Icon=velmora" "$desktop"
for type in image/jpeg image/png image/gif image/tiff image/bmp audio/mpeg audio/flac audio/ogg audio/x-wav audio/mp4; do
    grep -q "^MimeType=.*$type;" "$desktop" || fail "desktop entry: MimeType lacks $type"
done
echo "ok: desktop entry: picture and audio MIME types"

metainfo=$share/metainfo/app.velmora.Velmora.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate rejects the metainfo"
echo "ok: appstreamcli validate"
check "metainfo: launches velmora.desktop" grep -q '<launchable type="desktop-id">velmora.desktop</launchable>' "$metainfo"
check "metainfo: screenshots" grep -q '<screenshot type="default">' "$metainfo"
check "metainfo: release $version" grep -q "<release version=\"$version\"" "$metainfo"

check "man page: velmora(1)" grep -q '^\.TH VELMORA 1' <(zcat "$share/man/man1/velmora.1.gz")
check "man page: velmora-render(1)" grep -q '^\.TH VELMORA-RENDER 1' <(zcat "$share/man/man1/velmora-render.1.gz")
if command -v man >/dev/null; then
    for page in velmora velmora-render; do
        warnings=$(man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null || true)
        check "man page $page(1): formats without warnings" test -z "$warnings"
    done
fi

ini="$unpacked/etc/xdg/Velmora 1/Velmora1.ini"
for line in "[Velmora 1]" S1=/usr/bin/convert S2=/usr/bin/ffmpeg S3=/usr/bin/ffplay; do
    grep -qxF "$line" "$ini" || fail "system INI lacks $line"
done
echo "ok: system INI names /usr/bin/convert, ffmpeg and ffplay"

guide=$share/velmora/guide
for anchor in walkthrough troubleshooting; do
    grep -q "name=\"$anchor\"" "$guide/index.html" || fail "guide: no section $anchor"
done
# Every picture and page the guide refers to is in the package.
while read -r ref; do
    [[ -f $guide/$ref ]] || fail "guide: $ref is missing"
done < <(grep -o '\(src\|href\)="[^"#:]*"' "$guide/index.html" | sed 's/^[a-z]*="//; s/"$//' | sort -u)
check "guide: pictures of the windows" test -n "$(ls "$guide"/images/*.png 2>/dev/null)"
echo "ok: guide: both sections, every picture it shows"

# ---------------------------------------------------------------- the unpacked program under X
velmora_private_x 1280x900

export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
unset XDG_CONFIG_HOME XDG_CONFIG_DIRS QT_SCALE_FACTOR

# window_of PID KIND: the id of the program's visible window of that kind, or nothing. MAIN is the
# main window (_NET_WM_WINDOW_TYPE NORMAL, after KDE's OVERRIDE for a frameless window), DIALOG a
# message (DIALOG, with NORMAL after it as Qt's fallback).
window_of() {
    local w types
    for w in $(xdotool search --onlyvisible --pid "$1" --name '^Velmora$' 2>/dev/null); do
        types=$(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null)
        case $2 in
        MAIN) [[ $types == *_NET_WM_WINDOW_TYPE_NORMAL* && $types != *_NET_WM_WINDOW_TYPE_DIALOG* ]] ;;
        DIALOG) [[ $types == *_NET_WM_WINDOW_TYPE_DIALOG* ]] ;;
        esac && { echo "$w"; return; }
    done
}

# wait_for_window PID TYPE: waits up to 30 s for it; fails when the program ends first.
wait_for_window() {
    local w
    for _ in $(seq 300); do
        w=$(window_of "$1" "$2")
        [[ -n $w ]] && { echo "$w"; return; }
        kill -0 "$1" 2>/dev/null || fail "Velmora ended before its window showed"
        sleep 0.1
    done
    fail "no $2 window of Velmora within 30 s"
}

# start NAME SYSTEM_DIRS [FILES...]: starts the unpacked program with a fresh, empty user
# configuration and home; sets app and config.
start() {
    local name=$1 dirs=$2
    shift 2
    config=$work/$name/config
    mkdir -p "$config" "$work/$name/home" "$work/$name/tmp"
    HOME=$work/$name/home XDG_CONFIG_HOME=$config XDG_CONFIG_DIRS=$dirs TMPDIR=$work/$name/tmp \
        "$unpacked/usr/bin/velmora" "$@" >"$work/$name/output.log" 2>&1 &
    app=$!
    _velmora_cleanup+=("kill $app 2>/dev/null || true")
}

stop() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}

# 1. First start: nothing but the package's own files.
start first-start "$unpacked/etc/xdg"
main=$(wait_for_window "$app" MAIN)
# The font list is read once the window is up; a failure would show its message then.
sleep 3
check "first start: no message" test -z "$(window_of "$app" DIALOG)"
check "first start: Velmora still runs" kill -0 "$app"
import -window root "$work/shots/first-start.png"
check "first start: nothing written to the user's configuration" \
    test -z "$(find "$config" -type f)"
# F1 (real input) opens the guide the package installed, found beside the unpacked program.
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || xdotool windowfocus --sync "$main"
xdotool key F1
guide_window=
for _ in $(seq 100); do
    guide_window=$(xdotool search --onlyvisible --pid "$app" --name '^Velmora User Guide$' 2>/dev/null | head -1)
    [[ -n $guide_window ]] && break
    sleep 0.1
done
check "first start: F1 opens the installed user guide" test -n "$guide_window"
check "first start: still no message" test -z "$(window_of "$app" DIALOG)"
sleep 1
import -window root "$work/shots/installed-guide.png"
stop

# 2. A system-wide INI naming a missing tool, first in XDG_CONFIG_DIRS.
broken=$work/broken-system
mkdir -p "$broken/Velmora 1"
printf '[Velmora 1]\nS1=/nonexistent/convert\n' >"$broken/Velmora 1/Velmora1.ini"
start missing-tool "$broken:$unpacked/etc/xdg"
box=$(wait_for_window "$app" DIALOG)
check "missing tool: no main window" test -z "$(window_of "$app" MAIN)"
import -window root "$work/shots/missing-tool.png"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers ctrl+c
text=$("$clipboard" 2>/dev/null || true)
expected="Can't find the s1 executable, specified in:

   $broken/Velmora 1/Velmora1.ini

Sorry, can't continue."
[[ $text == *"$expected"* ]] || fail "missing tool: the message was not the expected one:
$text"
echo "ok: missing tool: \"Can't find the s1 executable\" naming the system-wide INI that names it"
xdotool key Return
status=0
for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
wait "$app" || status=$?
check "missing tool: Velmora ends with status 1 after the message" test "$status" = 1

# 3. A picture and a song handed over on the command line, as "Open with Velmora" does.
media=$work/media
mkdir -p "$media"
/usr/bin/convert -size 800x600 plasma:orange-purple "$media/cover art.jpg"
ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=330:duration=3" "$media/first song.flac"
start with-files "$unpacked/etc/xdg" "$media/cover art.jpg" "$media/first song.flac"
main=$(wait_for_window "$app" MAIN)
sleep 3
check "picture and song: no message" test -z "$(window_of "$app" DIALOG)"
import -window root "$work/shots/with-files.png"
stop

echo "Screenshots in $work/shots"
