#!/usr/bin/env bash
# The batch program of two builds on the same exports, runs alternating,
# median wall time and peak memory of each: the cost of a change measured in
# one run (another build of the sources, say the last release, as BASE).
#   bench/compare_builds.sh BASE_BUILD_DIR [BUILD_DIR] (RUNS=11 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:?usage: bench/compare_builds.sh BASE_BUILD_DIR [BUILD_DIR]}
build=${2:-build/release}
runs=${RUNS:-11}
generate=$build/bench/vexa-generate-export
for dir in "$base" "$build"; do
  [ -x "$dir/src/vexa-chart-report" ] || { echo "build $dir first (scripts/build.sh)"; exit 1; }
done
[ -x /usr/bin/time ] || { echo "GNU time is missing (scripts/setup-tests.sh installs it)"; exit 1; }
source bench/timing.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generate" climate 1000000 "$work/climate_1m.csv"
cat "$work/climate_1m.csv" > /dev/null  # from the page cache, as a user's second run

printf '%-16s %-12s %8s %8s\n' build export "wall s" "peak MB"
for dir in "$base" "$build"; do : > "$work/$(basename "$dir").wall"; : > "$work/$(basename "$dir").rss"; done
for _ in $(seq "$runs"); do
  for dir in "$base" "$build"; do
    name=$(basename "$dir")
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" "$dir/src/vexa-chart-report" \
      --output "$work/report.xlsx" "$work/climate_1m.csv" > /dev/null 2>&1
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.4f\n", ns / 1e9 }' >> "$work/$name.wall"
    awk -v kb="$(tail -n 1 "$work/rss")" 'BEGIN { printf "%.1f\n", kb / 1024 }' >> "$work/$name.rss"
  done
done
for dir in "$base" "$build"; do
  name=$(basename "$dir")
  printf '%-16s %-12s %8s %8s\n' "$name" climate_1m "$(median < "$work/$name.wall")" \
    "$(median < "$work/$name.rss")"
done
