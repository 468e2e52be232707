#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) into ./build-fuzz (or
# $VELMORA_FUZZ_DIR), seeds each with files made by the real tools, and runs each for
# $VELMORA_FUZZ_SECONDS seconds (12 by default: about two minutes for all of them). Arguments name the
# targets to run (all by default). An input that crashes or hangs a target is kept in
# build-fuzz/crashes/<target>/ and fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
VELMORA_FUZZ=1 "$root/scripts/install-deps.sh"
source "$root/scripts/lib.sh"
build=${VELMORA_FUZZ_DIR:-$root/build-fuzz}
seconds=${VELMORA_FUZZ_SECONDS:-12}
all=(fuzz_ini fuzz_encoder_time fuzz_font_list fuzz_picture fuzz_audio fuzz_aac_lc fuzz_mp4_check fuzz_startup_files
    fuzz_system_settings fuzz_song_tags fuzz_song_cover fuzz_font_coverage fuzz_caption_fonts)
targets=("$@")
((${#targets[@]})) || targets=("${all[@]}")
velmora_build --in "$build" -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF \
    "${targets[@]}"

# Seeds: real files of every kind each parser reads, made anew by the real tools.
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{fuzz_ini,fuzz_encoder_time,fuzz_font_list,fuzz_picture,fuzz_audio,fuzz_aac_lc,fuzz_mp4_check,fuzz_startup_files,fuzz_system_settings,fuzz_song_tags,fuzz_song_cover,fuzz_font_coverage,fuzz_caption_fonts}
convert=$(velmora_tool convert)
ffmpeg=$(velmora_tool ffmpeg)
velmora_write_ini "$seeds/fuzz_ini/plain.ini" "TargetVideoSize=3" "DefaultBackgroundColor=ff0000" \
    "AutoPlayOnOpen=0" "PictureFilePath=/home/user/Pictures/" "AudioFilePath=\"/music\""
printf '\xef\xbb\xbf; comment\r\n[Other]\r\nS1=x\r\n[velmora 1]\r\n  s1 = "/usr/bin/convert" \r\nTargetVideoSize = -1\r\nTargetVideoSize=2\r\n' \
    >"$seeds/fuzz_ini/bom-crlf.ini"
"$ffmpeg" -hide_banner -nostdin -y -f lavfi -i sine=duration=3 -f lavfi -i color=size=64x36:duration=3 \
    -stats -c:v mpeg1video -c:a mp2 -f mpeg /dev/null 2>"$seeds/fuzz_encoder_time/encoder.txt" || true
"$convert" -list font >"$seeds/fuzz_font_list/fonts.txt" 2>&1
truncate -s '<6000' "$seeds/fuzz_font_list/fonts.txt"
# The smallest font the tool lists, behind a caption of Latin, Arabic and CJK (its length first).
smallest=$("$convert" -list font | sed -n 's/^ *glyphs: //p' | xargs -r ls -S 2>/dev/null | tail -n 1)
caption='Hi مرحبا 夜'
{ printf "\\$(printf '%03o' "$(printf '%s' "$caption" | wc -c)")%s" "$caption"; cat "$smallest"; } \
    >"$seeds/fuzz_font_coverage/smallest-font"
cp "$root"/tests/fuzz/regressions/fuzz_caption_fonts/* "$seeds/fuzz_caption_fonts/"
for ext in jpg png bmp gif tif; do
    "$convert" -size 24x16 gradient:red-blue "$seeds/fuzz_picture/gradient.$ext"
done
"$convert" -size 16x16 xc:white -alpha on -channel a -evaluate set 50% "$seeds/fuzz_picture/alpha.png"
tone=(-hide_banner -nostdin -y -v error -f lavfi -i sine=frequency=440:duration=0.3)
for out in "wav" "flac" "ogg" "m4a" "aiff" "wma" \
    "mp3" "noinfo.mp3 -write_xing 0" "adts.aac -f adts" "mp2 -c:a mp2" "mono8k.wav -ar 8000 -ac 1"; do
    read -r name options <<<"$out"
    [[ $name == *.* ]] || name=tone.$name
    # shellcheck disable=SC2086 # options are words
    "$ffmpeg" "${tone[@]}" $options "$seeds/fuzz_audio/$name"
done
# The AAC-LC test reads songs; the MP4 check reads what the MP4 build writes: 128x72, 4.5 s.
cp "$seeds/fuzz_audio/tone.m4a" "$seeds/fuzz_audio/adts.aac" "$seeds/fuzz_audio/tone.mp3" "$seeds/fuzz_aac_lc/"
"$ffmpeg" -hide_banner -nostdin -y -v error -f lavfi -i color=size=128x72:rate=30 -f lavfi \
    -i sine=duration=4.5 -t 4.5 -c:v libx264 -profile:v high -pix_fmt yuv420p -g 30 -bf 0 -c:a aac \
    "$seeds/fuzz_mp4_check/built.mp4"
# The command line and the settings folders are texts of the targets' own small language: the
# regression inputs are the seeds.
for t in fuzz_startup_files fuzz_system_settings; do
    cp "$root/tests/fuzz/regressions/$t/"* "$seeds/$t/"
done
# Songs with tags and a small cover, as the tag reader and the cover reader meet them.
"$convert" -size 8x8 gradient:red-blue "$seeds/cover.png"
for out in "mp3 -id3v2_version 3" "id3v24.mp3 -id3v2_version 4" "flac"; do
    read -r name options <<<"$out"
    [[ $name == *.* ]] || name=tagged.$name
    # shellcheck disable=SC2086 # options are words
    "$ffmpeg" "${tone[@]}" -i "$seeds/cover.png" -map 0:a -map 1:v -c:v copy -disposition:v attached_pic \
        -metadata title=Title -metadata artist=Artist $options "$seeds/fuzz_song_tags/$name"
    cp "$seeds/fuzz_song_tags/$name" "$seeds/fuzz_song_cover/$name"
done

failed=()
for t in "${targets[@]}"; do
    rm -rf "$build/crashes/$t"
    mkdir -p "$build/corpus/$t" "$build/crashes/$t"
    echo "== $t: ${seconds} s"
    if ! "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$t/" "$build/corpus/$t" "$seeds/$t" 2>"$build/$t.log"; then
        failed+=("$t")
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ *DONE)' "$build/$t.log" || true
done
if ((${#failed[@]})); then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $build/crashes, logs in $build/*.log)" >&2
    exit 1
fi
