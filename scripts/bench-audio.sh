#!/usr/bin/env bash
# Audio engine benchmark: measureAudioFile on 60-minute files (WAV, FLAC, M4A, LAME MP3 with its
# length header, VBR MP3 without one), the delay from AudioPreview::play to the first samples at the
# device, processor use and peak memory while playing the 60-minute MP3, and measuring songs
# followed by gigabytes of zeros or junk.
# The hour-long files are made once with ffmpeg and kept in $VELMORA_BENCH_MEDIA
# (default: <build>/bench-audio-media).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
media=${VELMORA_BENCH_MEDIA:-$build/bench-audio-media}
ffmpeg=$(velmora_tool ffmpeg)

velmora_build bench_audio
bench=$build/bench/audio/bench_audio

mkdir -p "$media"
# Pink noise whose loudness swells and falls, with a tone: a VBR encoder's bit rate varies.
source="anoisesrc=color=pink:amplitude=0.4:sample_rate=44100:duration=3600,volume='0.35+0.3*sin(t/9)':eval=frame[n];sine=frequency=440:sample_rate=44100:duration=3600,volume=0.2[s];[n][s]amix=inputs=2,aformat=channel_layouts=stereo"
make() { # name, encoder options...
    local out=$media/$1
    shift
    if [[ ! -s $out ]]; then
        echo "making $out" >&2
        "$ffmpeg" -hide_banner -nostdin -loglevel error -y -filter_complex "$source" "$@" "$out.part.${out##*.}"
        mv "$out.part.${out##*.}" "$out"
    fi
}
make hour.wav -c:a pcm_s16le
make hour.flac -c:a flac
make hour.m4a -c:a aac -b:a 160k -movflags +faststart
make hour-lame-cbr.mp3 -c:a libmp3lame -b:a 192k
make hour-lame-vbr.mp3 -c:a libmp3lame -q:a 2
make hour-vbr-no-header.mp3 -c:a libmp3lame -q:a 2 -write_xing 0

files=("$media"/hour.wav "$media"/hour.flac "$media"/hour.m4a "$media"/hour-lame-cbr.mp3
       "$media"/hour-lame-vbr.mp3 "$media"/hour-vbr-no-header.mp3)

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
hostile=$media/hostile
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
