#!/usr/bin/env bash
# Builds the game's fuzz target with clang's libFuzzer and runs it.
#   tools/fuzz.sh                 bounded run for the test suite: 60 s, fixed seed
#   tools/fuzz.sh SECONDS [ARGS]  a longer run; extra arguments go to libFuzzer
# The checked-in corpus (tests/fuzz/corpus) is replayed first; new inputs are kept in
# build-fuzz/corpus, crashes in build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build-fuzz

mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" --target game_fuzzer
mkdir -p "$build/corpus" "$build/crashes"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/fuzz/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
export SDL_VIDEODRIVER=dummy
"$build/tests/fuzz/game_fuzzer" -seed=1 -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
  -artifact_prefix="$build/crashes/" -print_final_stats=1 "$@" "$build/corpus" tests/fuzz/corpus
