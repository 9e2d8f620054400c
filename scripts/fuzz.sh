#!/usr/bin/env bash
# Real fuzzing of the input reader and a short solve, with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, for the given number of
# seconds (default 600); further arguments go to libFuzzer (for example
# -use_value_profile=1). Inputs that reach new code collect in
# build-fuzz/corpus; a crash, hang or sanitizer report leaves its input in
# build-fuzz/findings. Once the program is fixed, such an input belongs in
# fuzz/corpus/regressions/, which every test run replays.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
build=build-fuzz

# Small tables: inputs of at most 8 KB hold few records anyway, the capacity
# limits come within reach, and resetting the tables between inputs (the
# kept route trees alone fill tens of megabytes at the standard capacities)
# does not dominate the time of an execution.
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DFW_FUZZ_LINKMAIN=OFF -DFW_BUILD_TESTS=OFF \
  -DFW_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DFW_MAX_LINKS=2000 -DFW_MAX_NODES=400 -DFW_MAX_ODPAIRS=400 > /dev/null
cmake --build "$build" -j2 --target read_net_info_fuzz
mkdir -p "$build/corpus" "$build/findings"
# The run log names each finding; -print_final_stats sums up executions and coverage.
"$build/fuzz/read_net_info_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -dict=fuzz/read_net_info.dict -print_final_stats=1 -artifact_prefix="$build/findings/" \
  "${@:2}" "$build/corpus" fuzz/corpus
