#!/usr/bin/env bash
# examples/render/parallel-rows.sh for real with GNU parallel: two jobs at once, then through an
# --sshloginfile naming this machine (":"), then a second run that the job log resumes past.
# Arguments: velmora-render, the examples folder, convert, ffmpeg.
set -euo pipefail
export VELMORA_RENDER=$1
examples=$2 convert=$3 ffmpeg=$4
command -v parallel >/dev/null || { echo "GNU parallel is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/engine-media.sh"

"$examples/parallel-rows.sh" "$work/catalog.csv" "$work/local" 2 -j2 > "$work/local.jsonl"
check_outputs "$work/local"
[[ $(grep -c '"status":"done"' "$work/local.jsonl") == 5 ]] || { cat "$work/local.jsonl"; exit 1; }
# Three shares of 2, 2 and 1 rows, each logged once.
[[ $(tail -n +2 "$work/local/parallel.joblog" | wc -l) == 3 ]] || { cat "$work/local/parallel.joblog"; exit 1; }

echo ":" > "$work/nodes.txt"
"$examples/parallel-rows.sh" "$work/catalog.csv" "$work/remote" 3 --sshloginfile "$work/nodes.txt" > "$work/remote.jsonl"
check_outputs "$work/remote"

# Resumed: the job log has every share, so nothing runs and nothing is printed.
"$examples/parallel-rows.sh" "$work/catalog.csv" "$work/local" 2 -j2 > "$work/again.jsonl"
[[ ! -s $work/again.jsonl ]] || { cat "$work/again.jsonl"; exit 1; }
echo "parallel: 5 rows in 3 shares, resumed without work"
