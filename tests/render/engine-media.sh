# Sourced by the engine tests: a private settings file naming the real tools, and a manifest of
# five short rows in $work. Needs $work, $convert and $ffmpeg.
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/no-system-config
mkdir -p "$XDG_CONFIG_HOME/Velmora 1"
printf '[Velmora 1]\nS1=%s\nS2=%s\nS3=%s\nTargetVideoSize=3\n' "$convert" "$ffmpeg" "$(dirname "$ffmpeg")/ffplay" \
    > "$XDG_CONFIG_HOME/Velmora 1/Velmora1.ini"
"$convert" -size 320x240 gradient:white-black "$work/picture.png"
"$ffmpeg" -loglevel error -y -f lavfi -i sine=frequency=500:duration=2 -c:a aac "$work/song.m4a"
{
    echo "id,song,picture,caption,format"
    for i in 1 2 3 4 5; do echo "v$i,song.m4a,picture.png,Row $i,mp4"; done
} > "$work/catalog.csv"

# Every row's video and report are in $1, once.
check_outputs() {
    local i
    for i in 1 2 3 4 5; do
        [[ -s $1/v$i.mp4 && -s $1/v$i.json ]] || { echo "row $i was not made in $1" >&2; return 1; }
    done
    if compgen -G "$1/.velmora-render-*" >/dev/null || compgen -G "$1/.pictune-*" >/dev/null; then
        echo "temporary files were left in $1" >&2
        return 1
    fi
}
