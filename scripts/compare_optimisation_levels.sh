#!/usr/bin/env bash
# The program must write the same bytes whatever the optimisation level: builds
# it on the fixed clock at -O0 (Debug), -O2 (RelWithDebInfo) and -O3 (Release)
# and compares the run log, the result file, the standard error and the exit
# status of each with -O0's on every shipped input, the golden inputs and the
# fuzz corpus (inputs that are refused included).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
levels=(O0 O2 O3)
declare -A types=([O0]=Debug [O2]=RelWithDebInfo [O3]=Release)
for level in "${levels[@]}"; do
  cmake -S . -B build-$level -DCMAKE_BUILD_TYPE=${types[$level]} -DFW_WERROR=ON > /dev/null
  cmake --build build-$level -j2 --target fwassign_fixed_clock > /dev/null
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
compared=0
differ=0
for input in data/*/input.txt tests/golden/*/input.txt fuzz/corpus/read_net_info/*/*; do
  [ -f "$input" ] || continue
  for level in "${levels[@]}"; do
    rm -rf "$work/$level"
    mkdir -p "$work/$level/run" "$work/$level/output"
    cp "$input" "$work/$level/output/input.txt"
    status=0
    (cd "$work/$level/run" && timeout 60 "$top/build-$level/tests/fwassign_fixed_clock" > /dev/null 2> ../stderr.txt) || status=$?
    echo "$status" > "$work/$level/status.txt"
  done
  for level in O2 O3; do
    if ! diff -r "$work/O0" "$work/$level" > /dev/null; then
      echo "differs between -O0 and -$level: $input"
      differ=$((differ + 1))
    fi
  done
  compared=$((compared + 1))
done
echo "inputs giving the same files at -O0, -O2 and -O3:"
echo "optimisation: $((compared * 2 - differ)) of $((compared * 2)) comparisons passed, $differ failed"
[ "$differ" -eq 0 ]
