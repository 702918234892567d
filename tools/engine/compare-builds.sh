#!/usr/bin/env bash
# Times two builds of tarvel-engine on the same positions, taking turns run by run
# so that the machine's other work falls on both alike.
#   tools/engine/compare-builds.sh OLD NEW [RUNS [RECORDS]]
# RECORDS is a file of game records, one per line (default: the built-in set,
# NEW bench --list); RUNS defaults to 5. For each position and build: warm, the
# least time of RUNS runs of all records in order in one process (bench -);
# cold, the least of RUNS runs of the position alone, as the first search of a
# new process. Times are the clock's, in ms: run it on a quiet machine.
set -euo pipefail
[ $# -ge 2 ] || { sed -n '2,9p' "$0" >&2; exit 2; }
old=$1 new=$2 runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ $# -ge 4 ]; then cp "$4" "$work/records"; else "$new" bench --list > "$work/records"; fi

# The time is the second field after " => " in the lines of both builds' bench -.
times() { sed -n 's/.* => [a-h][1-8] \([0-9.]*\) ms.*/\1/p'; }

for run in $(seq "$runs"); do
  for build in old new; do
    binary=${!build}
    "$binary" bench - < "$work/records" | times > "$work/$build.warm.$run"
    while IFS= read -r record; do
      printf '%s\n' "$record" | "$binary" bench - | times
    done < "$work/records" > "$work/$build.cold.$run"
  done
done

for kind in old.warm old.cold new.warm new.cold; do
  paste "$work/$kind".* | awk '{m = $1; for (i = 2; i <= NF; i++) if ($i < m) m = $i; print m}' > "$work/$kind"
done
[ "$(wc -l < "$work/new.cold")" -eq "$(wc -l < "$work/records")" ] || { echo "a build did not answer every record" >&2; exit 1; }

paste "$work/old.warm" "$work/old.cold" "$work/new.warm" "$work/new.cold" | awk -v runs="$runs" '
  BEGIN { printf "%4s %10s %10s %6s %10s %10s %6s\n", "#", "old warm", "old cold", "c/w", "new warm", "new cold", "c/w" }
  {
    n++
    printf "%4d %10.3f %10.3f %6.2f %10.3f %10.3f %6.2f\n", n, $1, $2, $2 / $1, $3, $4, $4 / $3
    for (i = 1; i <= 4; i++) if ($i > max[i]) { max[i] = $i; at[i] = n }
    if ($2 / $1 > oldRatio) { oldRatio = $2 / $1; oldAt = n }
    if ($4 / $3 > newRatio) { newRatio = $4 / $3; newAt = n }
    if ($3 >= 1 && $4 / $3 > 1.3) over++
    if ($3 >= 1) big++
  }
  END {
    printf "\nleast of %d runs, ms by the clock, over %d positions\n", runs, n
    printf "old: warm max %.3f (#%d), cold max %.3f (#%d), cold/warm greatest %.2f (#%d)\n", max[1], at[1], max[2], at[2], oldRatio, oldAt
    printf "new: warm max %.3f (#%d), cold max %.3f (#%d), cold/warm greatest %.2f (#%d)\n", max[3], at[3], max[4], at[4], newRatio, newAt
    printf "new: %d of the %d positions of 1 ms or more warm have cold/warm above 1.3\n", over, big
  }'
