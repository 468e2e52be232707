#!/usr/bin/env bash
# One task of a Slurm job array: the share of the manifest's rows numbered by the task.
# Submit with slurm-submit.sh, or by hand:
#
#   sbatch --array=0-N%K --export=ALL,MANIFEST=/shared/catalog.csv,OUT=/shared/videos,CHUNK=10 slurm-array.sh
#
# where N is (rows + CHUNK - 1) / CHUNK - 1 and K the most tasks that run at once. A task that
# ends with 75 (disk full, tools missing) can simply be submitted again: finished rows are skipped.
#SBATCH --job-name=velmora-render
#SBATCH --cpus-per-task=1
#SBATCH --output=velmora-render-%A_%a.out
set -euo pipefail
exec "${VELMORA_RENDER:-velmora-render}" --manifest "$MANIFEST" --output-dir "$OUT" \
    --index-env SLURM_ARRAY_TASK_ID --chunk "${CHUNK:-10}" --jobs "${SLURM_CPUS_PER_TASK:-1}"
