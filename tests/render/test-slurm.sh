#!/usr/bin/env bash
# examples/render/slurm-submit.sh for real: a one-node Slurm cluster of its own (munged, slurmctld
# and slurmd in the foreground, with a temporary configuration and ports of its own), a job array
# of three shares with at most two tasks at once, then its outputs. Root only: the daemons run
# as root. Arguments: velmora-render, the examples folder, convert, ffmpeg.
set -euo pipefail
export VELMORA_RENDER=$1
examples=$2 convert=$3 ffmpeg=$4
for tool in munged slurmctld slurmd sbatch squeue; do
    command -v "$tool" >/dev/null || [[ -x /usr/sbin/$tool ]] || { echo "$tool is not installed"; exit 77; }
done
((EUID == 0)) || { echo "the Slurm daemons need root here"; exit 77; }
export PATH=$PATH:/usr/sbin
work=$(mktemp -d)
pids=()
stop() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap stop EXIT
chmod 755 "$work"
source "$(dirname "$0")/engine-media.sh"

# Munge, with a key of its own.
mkdir -p "$work/munge"
mungekey -c -k "$work/munge/munge.key" >/dev/null 2>&1 || dd if=/dev/urandom bs=1024 count=1 of="$work/munge/munge.key" 2>/dev/null
chmod 600 "$work/munge/munge.key"
munged -f --key-file="$work/munge/munge.key" --socket="$work/munge/socket" --pid-file="$work/munge/pid" \
    --log-file="$work/munge/log" --seed-file="$work/munge/seed" --foreground 2>>"$work/daemons.log" &
pids+=($!)

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
host=$(hostname -s)
export SLURM_CONF=$work/slurm.conf
mkdir -p "$work/state" "$work/spool"
cat > "$SLURM_CONF" <<CONF
ClusterName=velmora
SlurmctldHost=$host
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge/socket
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
SwitchType=switch/none
ReturnToService=2
MailProg=/bin/true
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
NodeName=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
for _ in $(seq 50); do [[ -S $work/munge/socket ]] && break; sleep 0.1; done
slurmctld -D -f "$SLURM_CONF" 2>>"$work/daemons.log" &
pids+=($!)
slurmd -D -f "$SLURM_CONF" 2>>"$work/daemons.log" &
pids+=($!)
for _ in $(seq 100); do
    sinfo -h -o %T 2>/dev/null | grep -q idle && break
    sleep 0.2
done
sinfo -h -o %T | grep -q idle || { echo "the node did not come up"; tail -40 "$work/daemons.log"; exit 1; }

cd "$work"
job=$("$examples/slurm-submit.sh" "$work/catalog.csv" "$work/videos" 2 2)
echo "submitted job array $job"
for _ in $(seq 600); do
    [[ -z $(squeue -h -j "$job" 2>/dev/null) ]] && break
    sleep 0.2
done
[[ -z $(squeue -h -j "$job" 2>/dev/null) ]] || { echo "the job array did not end"; squeue; tail -40 "$work/daemons.log"; exit 1; }
check_outputs "$work/videos"
# Three tasks, each with its own share of rows.
tasks=$(ls "$work"/velmora-render-"$job"_*.out | wc -l)
[[ $tasks == 3 ]] || { echo "$tasks task outputs"; ls "$work"; exit 1; }
echo "slurm: 5 rows in 3 array tasks"
