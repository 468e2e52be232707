#!/usr/bin/env bash
# Submits a manifest as a Slurm job array of shares of CHUNK rows, at most K tasks at once.
#
#   slurm-submit.sh MANIFEST.csv DIR [CHUNK [K]] [sbatch options...]
set -euo pipefail
if (($# < 2)); then
    sed -n '2,4p' "$0" >&2
    exit 2
fi
manifest=$(realpath "$1")
out=$(realpath -m "$2")
chunk=${3:-10}
running=${4:-4}
shift $(($# < 4 ? $# : 4))
rows=$(python3 -c 'import csv, sys; print(max(0, sum(1 for _ in csv.reader(open(sys.argv[1], newline="", encoding="utf-8"))) - 1))' "$manifest")
((rows > 0)) || { echo "slurm-submit.sh: $manifest has no rows" >&2; exit 2; }
mkdir -p "$out"
last=$(((rows + chunk - 1) / chunk - 1))
exec sbatch --parsable --array="0-$last%$running" \
    --export="ALL,MANIFEST=$manifest,OUT=$out,CHUNK=$chunk" "$@" "$(dirname "$(realpath "$0")")/slurm-array.sh"
