#!/usr/bin/env bash
# Real fuzzing of one fuzz target (default read_net_info; the others are
# tntp_net, tntp_trips, flow_file and result_file, see fuzz/CMakeLists.txt)
# with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, for
# the given number of seconds (default 600); further arguments go to
# libFuzzer (for example -use_value_profile=1). Inputs that reach new code
# collect in build-fuzz/corpus/TARGET; a crash, hang or sanitizer report
# leaves its input in build-fuzz/findings/TARGET. Once the code is fixed,
# such an input belongs in fuzz/corpus/TARGET/regressions/, which every test
# run replays.
#
#   scripts/fuzz.sh [TARGET [SECONDS [LIBFUZZER OPTIONS...]]]
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:-read_net_info}"
seconds="${2:-600}"
build=build-fuzz
case "$target" in
  read_net_info) dict=(-dict=fuzz/read_net_info.dict) ;;
  tntp_net | tntp_trips) dict=(-dict=fuzz/tntp.dict) ;;
  *) dict=() ;;
esac

# Small tables: inputs of at most 8 KB hold few records anyway, the capacity
# limits come within reach, and resetting the tables between inputs (the
# kept route trees alone fill tens of megabytes at the standard capacities)
# does not dominate the time of an execution.
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DFW_FUZZ_LINKMAIN=OFF -DFW_BUILD_TESTS=OFF \
  -DFW_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DFW_MAX_LINKS=2000 -DFW_MAX_NODES=400 -DFW_MAX_ODPAIRS=400 > /dev/null
cmake --build "$build" -j2 --target "${target}_fuzz"
mkdir -p "$build/corpus/$target" "$build/findings/$target"
# The run log names each finding; -print_final_stats sums up executions and coverage.
exec "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  "${dict[@]}" -print_final_stats=1 -artifact_prefix="$build/findings/$target/" \
  "${@:3}" "$build/corpus/$target" "fuzz/corpus/$target"
