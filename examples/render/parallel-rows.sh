#!/usr/bin/env bash
# Makes a manifest's videos with GNU parallel, one share of rows a job, on this machine or on the
# machines of an --sshloginfile (then the manifest, its media and DIR must be at the same paths on
# every machine, on shared storage, and velmora-render installed on each).
#
#   parallel-rows.sh MANIFEST.csv DIR [ROWS_PER_SHARE] [parallel options...]
#
#   parallel-rows.sh catalog.csv videos 10 -j2
#   parallel-rows.sh catalog.csv /shared/videos 10 --sshloginfile nodes.txt
#
# The job log (DIR/parallel.joblog) makes a second run skip the shares that finished; a share
# that failed (exit 1: a row failed; 75: disk full or tools missing) runs again with
# --resume-failed. Either way velmora-render itself skips rows whose video is up to date. The
# rows' JSON lines come out on standard output, one share's together.
set -euo pipefail
if (($# < 2)); then
    sed -n '2,15p' "$0" >&2
    exit 2
fi
manifest=$(realpath "$1")
out=$(realpath -m "$2")
chunk=${3:-10}
shift $(($# < 3 ? $# : 3))
render=${VELMORA_RENDER:-velmora-render}
rows=$(python3 -c 'import csv, sys; print(max(0, sum(1 for _ in csv.reader(open(sys.argv[1], newline="", encoding="utf-8"))) - 1))' "$manifest")
mkdir -p "$out"
for ((first = 1; first <= rows; first += chunk)); do
    echo "$first-$((first + chunk - 1))"
done | parallel -q --joblog "$out/parallel.joblog" --resume "$@" \
    "$render" --manifest "$manifest" --output-dir "$out" --jobs 1 --rows {}
