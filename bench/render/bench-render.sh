#!/usr/bin/env bash
# velmora-render against the usual ways of making many still-picture videos, interleaved:
#   - velmora-render --jobs 2 on a manifest of ROWS rows (30 s M4A songs to MP4 at 640x360, one
#     picture for the catalog);
#   - a shell loop of the common one-liner
#     ffmpeg -loop 1 -framerate 1 -i P -i S -c:v libx264 -tune stillimage -c:a aac -shortest;
#   - the same one-liner through GNU parallel -j2.
# Prints the wall time per row of each, the lengths written against the songs', where
# velmora-render's time goes (from its reports), the goal (5x faster than parallel -j2), and
# velmora-render's peak memory (its own process, VmHWM) for one row of a 10-hour song.
# Arguments: velmora-render convert ffmpeg ffprobe work-folder [rows] [rounds]
set -euo pipefail
render=$(realpath "$1") convert=$2 ffmpeg=$3 ffprobe=$4 work=$5 rows=${6:-100} rounds=${7:-2}
mkdir -p "$work"
work=$(realpath "$work")
cd "$work"
now() { date +%s.%N; }

# The catalog: one picture, $rows different 30-second songs (AAC-LC, as a shop sells them).
[[ -s picture.jpg ]] || "$convert" -size 1600x1200 plasma:fractal -seed 7 picture.jpg
mkdir -p songs
for ((i = 1; i <= rows; i++)); do
    song=songs/song$i.m4a
    [[ -s $song ]] || "$ffmpeg" -nostdin -loglevel error -y -f lavfi \
        -i "sine=frequency=$((200 + i * 7)):duration=30,aformat=channel_layouts=stereo" \
        -c:a aac -b:a 160k "$song"
done
{
    echo "song"
    for ((i = 1; i <= rows; i++)); do echo "songs/song$i.m4a"; done
} > catalog.csv

run_render() {
    rm -rf out-render
    "$render" --manifest catalog.csv --output-dir out-render --jobs 2 --image-tool "$convert" --encoder "$ffmpeg" \
        > render.jsonl 2> /dev/null || true
}
one_liner() { # song output
    "$ffmpeg" -nostdin -loglevel error -y -loop 1 -framerate 1 -i picture.jpg -i "$1" \
        -vf scale=640:360:force_original_aspect_ratio=decrease,pad=640:360:-1:-1 \
        -c:v libx264 -tune stillimage -c:a aac -shortest "$2"
}
export -f one_liner
export ffmpeg
run_loop() {
    rm -rf out-loop && mkdir out-loop
    for ((i = 1; i <= rows; i++)); do one_liner "songs/song$i.m4a" "out-loop/song$i.mp4"; done
}
run_parallel() {
    rm -rf out-parallel && mkdir out-parallel
    seq 1 "$rows" | parallel -j2 one_liner songs/song{}.m4a out-parallel/song{}.mp4
}

declare -A total=([render]=0 [loop]=0 [parallel]=0)
methods=(render loop parallel)
for ((round = 0; round < rounds; round++)); do
    for ((k = 0; k < 3; k++)); do
        method=${methods[(round + k) % 3]}
        start=$(now)
        "run_$method"
        seconds=$(echo "$(now) - $start" | bc -l)
        total[$method]=$(echo "${total[$method]} + $seconds" | bc -l)
        printf 'round %d %-9s %7.2f s  %6.3f s/row\n' "$((round + 1))" "$method" "$seconds" "$(echo "$seconds / $rows" | bc -l)"
    done
done

per_row() { echo "${total[$1]} / $rounds / $rows" | bc -l; }
echo "== per row (mean of $rounds rounds, $rows rows, 2 cores)"
for method in render loop parallel; do printf '%-9s %6.3f s/row\n' "$method" "$(per_row "$method")"; done
printf 'velmora-render is %.1fx faster than the one-liner through parallel -j2 (goal: at least 5x)\n' \
    "$(echo "$(per_row parallel) / $(per_row render)" | bc -l)"

echo "== lengths (video file) against the song's (30.000 s), first 5 rows"
for ((i = 1; i <= 5 && i <= rows; i++)); do
    song=$("$ffprobe" -v error -show_entries format=duration -of csv=p=0 "songs/song$i.m4a")
    r=$("$ffprobe" -v error -show_entries format=duration -of csv=p=0 "out-render/song$i.mp4")
    l=$("$ffprobe" -v error -show_entries format=duration -of csv=p=0 "out-parallel/song$i.mp4")
    echo "song $song  velmora-render $r  one-liner $l"
done

echo "== where velmora-render's time goes (mean of the reports' timings, s per row)"
python3 - out-render <<'PY'
import glob, json, sys
reports = [json.load(open(f)) for f in glob.glob(sys.argv[1] + "/*.json")]
keys = sorted({k for r in reports for k in r["timings"]})
for k in keys:
    values = [r["timings"].get(k, 0) for r in reports]
    print(f"{k:>10} {sum(values) / len(values):.3f}  (rows with it: {sum(1 for r in reports if k in r['timings'])})")
PY

echo "== one row of a 10-hour song (M4A, copied audio), peak memory of velmora-render"
if [[ ! -s long.m4a ]]; then
    "$ffmpeg" -nostdin -loglevel error -y -f lavfi -i "sine=frequency=330:duration=600,aformat=channel_layouts=stereo" \
        -c:a aac -b:a 128k ten-minutes.m4a
    for ((i = 0; i < 60; i++)); do echo "file 'ten-minutes.m4a'"; done > long.txt
    "$ffmpeg" -nostdin -loglevel error -y -f concat -safe 0 -i long.txt -c copy long.m4a
fi
rm -rf out-long
# VmHWM only grows: its last reading before the end is the process's peak; the encoder's own peak
# is shown apart.
"$render" --song long.m4a --picture picture.jpg --output out-long/long.mp4 --image-tool "$convert" \
    --encoder "$ffmpeg" > long.jsonl 2> /dev/null &
pid=$! own=0 child=0 start=$(now)
while kill -0 "$pid" 2> /dev/null; do
    v=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2> /dev/null || true)
    [[ -n $v ]] && ((v > own)) && own=$v
    for c in $(pgrep -P "$pid" || true); do
        v=$(awk '/VmHWM/ {print $2}' "/proc/$c/status" 2> /dev/null || true)
        [[ -n $v ]] && ((v > child)) && child=$v
    done
    sleep 0.1
done
wait "$pid" || true
cat long.jsonl
printf 'velmora-render peak %d MB (goal: under 150 MB), the encoder peak %d MB, %.1f s\n' \
    "$((own / 1024))" "$((child / 1024))" "$(echo "$(now) - $start" | bc -l)"
