#!/usr/bin/env bash
# Builds the game and runs the storm test of the real window for as long as asked.
#   tools/storm.sh [SECONDS [SEED]]   default 600 s and a fresh seed (printed first)
# A failure prints its seed: give it again to replay the same actions.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j "$(nproc)" --target tarvel
exec python3 tests/storm/storm.py "$build/tarvel" --seconds "$seconds" ${2:+--seed "$2"}
