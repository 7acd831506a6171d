#!/usr/bin/env bash
# The batch program on many files: wall time and peak memory of -j 1 and
# -j 2, their ratio, and the peak memory of a single file; medians of RUNS.
#   bench/parallel_batch.sh [BUILD_DIR] (FILES=200, LINES=32000, RUNS=3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
files=${FILES:-200}
lines=${LINES:-32000}
runs=${RUNS:-3}
program=$build/src/vexa-chart-report
generate=$build/bench/vexa-generate-export
[ -x "$program" ] && [ -x "$generate" ] || { echo "build $build first (scripts/build.sh)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in $(seq "$files"); do
  "$generate" climate "$lines" "$work/tag_$i.csv" 4 "$i"
done
cat "$work"/*.csv > /dev/null  # from the page cache, as a user's second run

source bench/timing.sh
# measure NAME ARGS...: median wall seconds and peak MB of the program.
measure() {
  local name=$1; shift
  : > "$work/wall"; : > "$work/memory"
  for _ in $(seq "$runs"); do
    rm -f "$work"/*.xlsx
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" "$program" "$@" > /dev/null 2>&1
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }' >> "$work/wall"
    awk -v kb="$(tail -n 1 "$work/rss")" 'BEGIN { printf "%.1f\n", kb / 1024 }' >> "$work/memory"
  done
  eval "${name}_wall=$(median < "$work/wall") ${name}_memory=$(median < "$work/memory")"
}
measure single "$work/tag_1.csv"
measure one -j 1 "$work"/tag_*.csv
measure two -j 2 "$work"/tag_*.csv
printf '%-28s %8s %8s\n' run "wall s" "peak MB"
printf '%-28s %8s %8s\n' "1 file" "$single_wall" "$single_memory"
printf '%-28s %8s %8s\n' "$files files, -j 1" "$one_wall" "$one_memory"
printf '%-28s %8s %8s\n' "$files files, -j 2" "$two_wall" "$two_memory"
awk -v a="$two_wall" -v b="$one_wall" -v m="$two_memory" -v s="$single_memory" \
  'BEGIN { printf "-j 2 / -j 1 time: %.2f   -j 2 memory / one file: %.2f\n", a / b, m / s }'
