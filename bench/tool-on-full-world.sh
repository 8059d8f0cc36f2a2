#!/usr/bin/env bash
# Wall time and peak memory of scenery-bake-determinism on the full-size demo world (every
# landblock of the 256 × 256 world in the cell archive): the median of several runs.
#
#   bench/tool-on-full-world.sh [RUNS]     (after: cmake --preset release && cmake --build --preset release)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}
build=build/release/apps
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/make-demo-world/make-demo-world" --full "$work/world" >/dev/null
export OSTREVANE_PORTAL_DAT="$work/world/client_portal.dat"
export OSTREVANE_CELL_DAT="$work/world/client_cell_1.dat"
export OSTREVANE_DETERMINISM_OUT="$work/out"
echo "cell archive: $(stat -c %s "$OSTREVANE_CELL_DAT") bytes"

for _ in $(seq "$runs"); do
  /usr/bin/time -f "%e %M" -o "$work/time" \
    "$build/scenery-bake-determinism/scenery-bake-determinism" 2>/dev/null
  cat "$work/time"
done >"$work/times"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
wall=$(cut -d' ' -f1 "$work/times" | median)
rss=$(cut -d' ' -f2 "$work/times" | median)
echo "median of $runs runs: wall ${wall} s, peak memory $((rss / 1024)) MiB"
