#!/usr/bin/env bash
# Builds the program and solves a shipped example network (default: Sioux Falls).
# The program reads ../output/input.txt relative to where it runs, so the
# example gets its own run folder: build/example/run with build/example/output
# beside it.
set -euo pipefail
network=${1:-SiouxFalls}
top=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$top/data/$network/input.txt" ] || { echo "no example network data/$network/input.txt" >&2; exit 1; }
cmake -S "$top" -B "$top/build" > /dev/null
cmake --build "$top/build" --target fwassign -j2 > /dev/null
work="$top/build/example"
mkdir -p "$work/run" "$work/output"
cp "$top/data/$network/input.txt" "$work/output/input.txt"
(cd "$work/run" && "$top/build/fwassign")
echo "Solved $network."
echo "Run log:     build/example/output/output.txt"
echo "Result file: build/example/output/result.txt"
grep -E "MaxError [0-9]|ObjectError [0-9]|Reach MaxIter|CPU TIME" "$work/output/output.txt" | sed 's/^ */  /'
