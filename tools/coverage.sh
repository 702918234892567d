#!/usr/bin/env bash
# Line and branch coverage per source folder of the game, its layer and its tools: a
# Debug build with gcc's counters runs the unit and end-to-end tests, gcovr reads the
# counters. A measure to read, with no threshold; the table is printed even when a test
# fails, and then the exit code is the tests'.
#   tools/coverage.sh [BUILD_DIR [JOBS]]     (default build-coverage, all cores)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-coverage}
jobs=${2:-$(nproc)}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DTARVEL_COVERAGE=ON || exit
# Counters of an older build only make the build's own test listing complain.
find "$build" -name '*.gcda' -delete
cmake --build "$build" -j "$jobs" || exit

# The objects of targets and sources that have gone stay in the build tree, and gcovr
# would read them with the others: targets are listed in TargetDirectories.txt, and a
# dependency file names its source first.
build_path=$(realpath "$build")
find "$build_path" -type d -path '*/CMakeFiles/*.dir' | while read -r dir; do
  grep -qxF "$dir" "$build_path/CMakeFiles/TargetDirectories.txt" || rm -rf "$dir"
done
find "$build" -name '*.o.d' | while read -r dep; do
  source=$(awk 'NR == 1 { sub(/^[^:]*:/, "") } { for (i = 1; i <= NF; i++) if ($i != "\\") { print $i; exit } }' "$dep")
  [ -z "$source" ] || [ -e "$source" ] || rm -f "${dep%.d}" "$dep" "${dep%.o.d}.gcno" "${dep%.o.d}.gcda"
done
find "$build" -name '*.gcda' -delete

ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE 'windows|package|release|reproducible|storm|soak'
status=$?

filters=()
for folder in rules players game win winapi tools; do filters+=(--filter "$folder/"); done
gcovr --root . --object-directory "$build" --exclude-throw-branches --exclude-unreachable-branches \
  "${filters[@]}" --json-summary "$build/coverage.json" || exit
python3 tools/coverage_by_folder.py "$build/coverage.json"
exit $status
