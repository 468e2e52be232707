#!/usr/bin/env bash
# Builds one benchmark and runs it with the real tools:
#   bench.sh runner [seconds]       processor time of Velmora's own process while a tool runs for
#                                   5 seconds (goal: under 2 % of one core), and its peak memory
#   bench.sh audio                  measureAudioFile on 60-minute files (WAV, FLAC, M4A, LAME MP3
#                                   with its length header, VBR MP3 without one), the delay from
#                                   AudioPreview::play to the first samples at the device, processor
#                                   use and peak memory while playing the 60-minute MP3, and
#                                   measuring songs followed by gigabytes of zeros or junk
#   bench.sh build [rounds]         a 3-minute song built through the progress dialog against the
#                                   same encoder command run directly (default 3 rounds a format)
#   bench.sh build --screens DIR    screenshots of the build and completion dialogs (needs Xvfb)
#   bench.sh mp4 [rounds]           a 3-minute song (FLAC and M4A) built at 1920x1080 through the
#                                   build dialog against the usual one-liner at 1 fps and the audio
#                                   alone, interleaved (default 3 rounds)
#   bench.sh mainwindow [rounds]    start to a ready main window, idle memory, and a 12-megapixel
#                                   JPEG dropped to its preview, on a private X server
#   bench.sh cover                  readSongInfo (tags, cover copy and its check) on MP3s whose ID3
#                                   tag holds a 600x600 JPEG, a 3000x3000 JPEG, a 12000x8000 JPEG
#                                   and a 15000x15000 PNG: the median time and the peak memory of a
#                                   process that reads only that song
#   bench.sh render [rows] [rounds] velmora-render --jobs 2 on ROWS (100) 30 s M4A songs to MP4 at
#                                   640x360, interleaved with a shell loop of the common one-liner
#                                   and the one-liner through GNU parallel -j2; where the time
#                                   goes; peak memory for a 10-hour song (media kept in
#                                   <build>/bench-render-media)
#   bench.sh stalls                 the window's longest stall (a timer's largest gap in the event
#                                   loop) and the program's peak memory (VmHWM), one process a case:
#                                   a 5 s M4A whose cover is a 16000x16000 16-bit PNG opened and
#                                   built as MP4 to "Complete"; "Hi 漢字" typed in the caption dialog
#                                   in a font that a user's type.xml names, a 3 GB (sparse) file;
#                                   an MP3 with a 250 MB picture, an Ogg with a 60 MB picture and a
#                                   FLAC with 40 pictures of 16 MB, each opened as the song. Goals:
#                                   stall under 0.2 s, peak memory under 300 MB
# The audio and cover media are made once and kept in $VELMORA_BENCH_MEDIA (default:
# <build>/bench-audio-media, <build>/bench-cover-media and <build>/bench-stalls-media).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"

bench_runner() {
    velmora_build --quiet bench_runner
    "$build/bench/runner/bench_runner" "${1:-5}"
}

bench_audio() {
    local media=${VELMORA_BENCH_MEDIA:-$build/bench-audio-media} ffmpeg bench
    ffmpeg=$(velmora_tool ffmpeg)
    velmora_build --quiet bench_audio
    bench=$build/bench/audio/bench_audio

    mkdir -p "$media"
    # Pink noise whose loudness swells and falls, with a tone: a VBR encoder's bit rate varies.
    local source="anoisesrc=color=pink:amplitude=0.4:sample_rate=44100:duration=3600,volume='0.35+0.3*sin(t/9)':eval=frame[n];sine=frequency=440:sample_rate=44100:duration=3600,volume=0.2[s];[n][s]amix=inputs=2,aformat=channel_layouts=stereo"
    hour() { # name, encoder options...
        local out=$media/$1
        shift
        if [[ ! -s $out ]]; then
            echo "making $out" >&2
            "$ffmpeg" -hide_banner -nostdin -loglevel error -y -filter_complex "$source" "$@" "$out.part.${out##*.}"
            mv "$out.part.${out##*.}" "$out"
        fi
    }
    hour hour.wav -c:a pcm_s16le
    hour hour.flac -c:a flac
    hour hour.m4a -c:a aac -b:a 160k -movflags +faststart
    hour hour-lame-cbr.mp3 -c:a libmp3lame -b:a 192k
    hour hour-lame-vbr.mp3 -c:a libmp3lame -q:a 2
    hour hour-vbr-no-header.mp3 -c:a libmp3lame -q:a 2 -write_xing 0

    local files=("$media"/hour.wav "$media"/hour.flac "$media"/hour.m4a "$media"/hour-lame-cbr.mp3
                 "$media"/hour-lame-vbr.mp3 "$media"/hour-vbr-no-header.mp3) f ref

    echo "== decoded length (ffmpeg -i FILE -f null -)"
    for f in "${files[@]}"; do
        ref="$f.length"
        if [[ ! -s $ref ]]; then
            "$ffmpeg" -hide_banner -nostdin -i "$f" -vn -f null - 2>&1 | tr '\r' '\n' |
                grep -o 'time=[0-9:.]*' | tail -1 | cut -d= -f2 > "$ref"
        fi
        printf '%-28s %s\n' "$(basename "$f")" "$(cat "$ref")"
    done

    export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-disk}
    export SDL_DISKAUDIOFILE=${SDL_DISKAUDIOFILE:-/dev/null}
    echo "== measureAudioFile (warm cache; 7 runs)"
    "$bench" measure "${files[@]}" 2>/dev/null
    echo "== playing $(basename "${files[5]}") (SDL driver: $SDL_AUDIODRIVER)"
    "$bench" play "${files[5]}" "${VELMORA_BENCH_PLAY_SECONDS:-20}" 2>/dev/null

    # Hostile files: a 5-second MP3 without info frame followed by zeros (sparse, as a pre-allocated
    # download leaves it) or by junk. Measuring must stop at the end of the audio, in bounded memory.
    local hostile=$media/hostile size
    mkdir -p "$hostile"
    [[ -s $hostile/song.mp3 ]] ||
        "$ffmpeg" -hide_banner -nostdin -loglevel error -y -f lavfi -i sine=duration=5 -c:a libmp3lame \
            -write_xing 0 "$hostile/song.mp3"
    for size in 1G 20G; do
        [[ -s $hostile/zeros-$size.mp3 ]] || { cp "$hostile/song.mp3" "$hostile/zeros-$size.mp3" &&
            truncate -s "$size" "$hostile/zeros-$size.mp3"; }
    done
    [[ -s $hostile/junk-64M.mp3 ]] || { cp "$hostile/song.mp3" "$hostile/junk-64M.mp3" &&
        head -c 64M /dev/urandom >>"$hostile/junk-64M.mp3"; }
    echo "== hostile files (5 s of audio each; whole process: time and peak memory)"
    for f in "$hostile"/zeros-1G.mp3 "$hostile"/zeros-20G.mp3 "$hostile"/junk-64M.mp3; do
        if [[ -x /usr/bin/time ]]; then
            /usr/bin/time -f "  %e s elapsed, peak %M KB" "$bench" measure "$f" 2>&1
        else
            "$bench" measure "$f" 2>/dev/null
        fi
    done
}

bench_build() {
    if [[ ${1:-} == --screens ]]; then
        local folder
        folder=$(mkdir -p "${2:-.}" && cd "${2:-.}" && pwd)
        velmora_build --quiet build_screens
        velmora_private_x 1024x768
        QT_QPA_PLATFORM=xcb "$build/bench/build/build_screens" "$folder"
        echo "Screenshots in $folder"
        return
    fi
    velmora_build --quiet bench_build
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
        "$build/bench/build/bench_build" "$(velmora_tool ffmpeg)" "$(velmora_tool convert)" "${1:-3}"
}

bench_mp4() {
    velmora_build --quiet bench_mp4
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
        "$build/bench/build/bench_mp4" "$(velmora_tool ffmpeg)" "$(velmora_tool convert)" "${1:-3}"
}

bench_stalls() {
    local media=${VELMORA_BENCH_MEDIA:-$build/bench-stalls-media} bench magick f
    velmora_build --quiet bench_stalls
    bench=$build/bench/stalls/bench_stalls
    velmora_sandbox_config
    mkdir -p "$media"
    echo "making what $media lacks" >&2
    SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=offscreen "$bench" make "$media"
    # The user's font map names a font file of 3 GB (a hole: it costs no disk).
    [[ -e $media/huge-font.ttf ]] || truncate -s 3G "$media/huge-font.ttf"
    magick=$(mktemp -d)
    _velmora_cleanup+=("rm -rf '$magick'")
    printf '<?xml version="1.0"?>\n<typemap>\n  <type name="Bench-Huge-Font" fullname="Bench Huge Font" family="Bench Huge Font" glyphs="%s"/>\n</typemap>\n' \
        "$media/huge-font.ttf" >"$magick/type.xml"
    export MAGICK_CONFIGURE_PATH=$magick
    velmora_private_x 1600x1000
    export SDL_AUDIODRIVER=dummy
    "$bench" mp4 "$media/cover-16000x16000-16bit.m4a" || true
    "$bench" caption Bench-Huge-Font || true
    for f in cover-250MB.mp3 cover-60MB.ogg pictures-40x16MB.flac; do
        "$bench" song "$media/$f" || true
    done
}

bench_mainwindow() {
    velmora_build --quiet bench_mainwindow
    velmora_sandbox_config
    velmora_private_x 1600x1000
    SDL_AUDIODRIVER=dummy "$build/bench/mainwindow/bench_mainwindow" "${1:-3}"
}

bench_cover() {
    local media=${VELMORA_BENCH_MEDIA:-$build/bench-cover-media} ffmpeg convert bench size f
    ffmpeg=$(velmora_tool ffmpeg)
    convert=$(velmora_tool convert)
    velmora_build --quiet bench_cover
    bench=$build/bench/cover/bench_cover
    mkdir -p "$media"

    song() { # name, cover picture
        local out=$media/$1
        [[ -s $out ]] && return
        echo "making $out" >&2
        "$ffmpeg" -hide_banner -nostdin -loglevel error -y -f lavfi -i sine=duration=10 -i "$2" \
            -map 0:a -map 1:v -c:a libmp3lame -c:v copy -id3v2_version 3 -disposition:v attached_pic "$out"
    }
    for size in 600x600 3000x3000 12000x8000; do
        [[ -s $media/cover-$size.jpg ]] ||
            "$convert" -size "$size" gradient:navy-orange -attenuate 0.3 +noise Uniform -quality 90 "$media/cover-$size.jpg"
        song "cover-$size.mp3" "$media/cover-$size.jpg"
    done
    # The image tool refuses to paint 225 megapixels: the PNG is written here, one gray row repeated.
    if [[ ! -s $media/cover-15000x15000.mp3 ]]; then
        python3 - "$media/cover-15000x15000.png" <<'PY'
import struct, sys, zlib
side = 15000
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
packer = zlib.compressobj(9)
row = b'\0' + b'\x30\x60\x90' * side
idat = b''.join(packer.compress(row) for _ in range(side)) + packer.flush()
with open(sys.argv[1], 'wb') as f:
    f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', side, side, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', idat) + chunk(b'IEND', b''))
PY
        song cover-15000x15000.mp3 "$media/cover-15000x15000.png"
    fi
    echo "== readSongInfo (warm cache; median of 5; peak memory of the whole process)"
    for f in "$media"/cover-600x600.mp3 "$media"/cover-3000x3000.mp3 "$media"/cover-12000x8000.mp3 \
             "$media"/cover-15000x15000.mp3; do
        "$bench" "$f" 5
    done
}

bench_render() {
    velmora_build --quiet velmora-render
    "$root/bench/render/bench-render.sh" "$build/velmora-render" "$(velmora_tool convert)" "$(velmora_tool ffmpeg)" \
        "$(velmora_tool ffprobe)" "${VELMORA_BENCH_MEDIA:-$build/bench-render-media}" "${1:-100}" "${2:-2}"
}

case ${1:-} in
runner | audio | build | mp4 | mainwindow | cover | stalls | render) ;;
*)
    echo "usage: $(basename "$0") runner|audio|build|mp4|mainwindow|cover|stalls|render [arguments]" >&2
    exit 2
    ;;
esac
"bench_$1" "${@:2}"
