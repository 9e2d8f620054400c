#!/usr/bin/env bash
# Milliseconds per Frank-Wolfe step of whole runs (wall time from start to
# exit, over the number of steps) on six TNTP networks. Each network is
# imported with both stopping rules off, so that the run takes exactly its
# number of steps, and run a few times; the least time is reported, since on
# a shared machine other work only ever adds time. The least processor time
# (user and system) per step is printed beside it: on a busy machine it is
# the steadier figure.
#
# Usage: bench/tntp_steps.sh [TNTP_DIR [BUILD_DIR]]
#   TNTP_DIR   folders of the TNTP networks (default ../shared/data/tntp beside
#              the repository); absent networks are skipped, saying so
#   BUILD_DIR  a build holding fwassign and tntp2input (default build-steps),
#              best a Release build with raised capacities (see bench/README.md);
#              networks its tables cannot hold are skipped, saying so
set -euo pipefail

if [[ -z ${EPOCHREALTIME:-} ]]; then
  echo "tntp_steps: needs bash 5 or later (EPOCHREALTIME)" >&2
  exit 1
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
tntp=${1:-$repo/../shared/data/tntp}
build=${2:-$repo/build-steps}

for tool in fwassign tntp2input; do
  if [[ ! -x $build/$tool ]]; then
    echo "tntp_steps: no $tool in $build; build it first (see bench/README.md)" >&2
    exit 1
  fi
done
build=$(cd "$build" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/output"

# Network, its folder, net file, trips file, steps, runs.
networks=(
  "SiouxFalls SiouxFalls SiouxFalls_net.tntp SiouxFalls_trips.tntp 1000 10"
  "Anaheim Anaheim Anaheim_net.tntp Anaheim_trips.tntp 1000 5"
  "Barcelona Barcelona Barcelona_net.tntp Barcelona_trips.tntp 100 3"
  "Winnipeg Winnipeg Winnipeg_net.tntp Winnipeg_trips.tntp 100 3"
  "Chicago-Sketch Chicago-Sketch ChicagoSketch_net.tntp ChicagoSketch_trips.tntp 100 3"
  "Berlin-Center Berlin-Center berlin-center_net.tntp berlin-center_trips.tntp 3 1"
)

echo "build: $build"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-16s %6s %5s %10s %10s %10s\n' Network Steps Runs "Wall (s)" "ms/step" "CPU ms/step"
status=0
for entry in "${networks[@]}"; do
  read -r name folder net trips steps runs <<<"$entry"
  if [[ ! -f $tntp/$folder/$net || ! -f $tntp/$folder/$trips ]]; then
    printf '%-16s skipped: %s or %s not in %s\n' "$name" "$net" "$trips" "$tntp/$folder"
    continue
  fi
  # The importer refuses a network the build's tables cannot hold and names
  # the capacities it needs.
  if ! message=$("$build/tntp2input" "$tntp/$folder/$net" "$tntp/$folder/$trips" --max-error -1 --object-error -1 \
                   --max-iteration "$steps" -o "$work/output/input.txt" 2>&1); then
    if [[ $message == *"too large for the program's tables"* ]]; then
      printf '%-16s skipped: %s\n' "$name" "$(grep -F "too large" <<<"$message")"
    else
      printf '%-16s import failed: %s\n' "$name" "$message"
      status=1
    fi
    continue
  fi
  least=        # least wall time of a run, in milliseconds
  least_cpu=    # least processor time (user and system) of a run, in milliseconds
  for ((run = 0; run < runs; ++run)); do
    # Wall time to the microsecond around the program's own process (the
    # subshell execs it); processor time to the millisecond.
    if ! times=$( { TIMEFORMAT='%3U %3S'; time { start=$EPOCHREALTIME; (cd "$work/run" && exec "$build/fwassign" >/dev/null) || exit;
                    echo "$start $EPOCHREALTIME"; }; } 2>&1); then
      printf '%-16s run failed: %s\n' "$name" "$times"
      status=1
      continue 2
    fi
    read -r start end user sys <<<"$(tr '\n' ' ' <<<"$times")"
    wall=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) * 1000 }')
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1000 }')
    if [[ -z $least ]] || awk -v w="$wall" -v l="$least" 'BEGIN { exit !(w < l) }'; then least=$wall; fi
    if [[ -z $least_cpu || $cpu -lt $least_cpu ]]; then least_cpu=$cpu; fi
  done
  # Only the iteration limit may have stopped the run, so it took every step.
  if ! grep -aq '^ *Reach MaxIter' "$work/output/output.txt"; then
    printf '%-16s stopped before %s steps\n' "$name" "$steps"
    status=1
    continue
  fi
  awk -v n="$name" -v s="$steps" -v r="$runs" -v ms="$least" -v cpu="$least_cpu" \
    'BEGIN { printf "%-16s %6d %5d %10.4f %10.4g %10.4g\n", n, s, r, ms / 1e3, ms / s, cpu / s }'
done
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
