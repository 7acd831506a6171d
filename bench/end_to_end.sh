#!/usr/bin/env bash
# Times vexa-chart-report as a whole process, export to saved workbook with
# its chart, on generated exports; prints the median wall time and the median
# peak memory of each.
#   bench/end_to_end.sh [BUILD_DIR] (RUNS=11 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${RUNS:-11}
program=$build/src/vexa-chart-report
generate=$build/bench/vexa-generate-export
[ -x "$program" ] && [ -x "$generate" ] || { echo "build $build first (scripts/build.sh)"; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is missing (scripts/setup-tests.sh installs it)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generate" climate 1000000 "$work/climate_1m.csv"
"$generate" light 1000000 "$work/light_1m.csv"
"$generate" paired 200000 "$work/paired_200k_4.csv" 4
"$generate" climate 32000 "$work/climate_32k.csv"

source bench/timing.sh

printf '%-20s %-34s %8s %8s\n' export series "wall s" "peak MB"
measure() {
  local file=$1 series=$2
  shift 2  # further options of the program: limits
  : > "$work/wall" ; : > "$work/memory"
  cat "$file" > /dev/null  # from the page cache, as a user's second run
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" "$program" --series "$series" "$@" \
      --output "$work/report.xlsx" "$file" > /dev/null 2>&1
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.4f\n", ns / 1e9 }' >> "$work/wall"
    awk -v kb="$(tail -n 1 "$work/rss")" 'BEGIN { printf "%.1f\n", kb / 1024 }' >> "$work/memory"
  done
  printf '%-20s %-34s %8s %8s\n' "$(basename "$file")" "$series${1:+ $*}" \
    "$(median < "$work/wall")" "$(median < "$work/memory")"
}
measure "$work/climate_1m.csv" temperature,humidity
measure "$work/climate_1m.csv" temperature,humidity,battery
measure "$work/climate_1m.csv" temperature,humidity --limit temperature=15:25 --limit humidity=:60
measure "$work/light_1m.csv" temperature,humidity,battery,light
measure "$work/paired_200k_4.csv" temperature,humidity
measure "$work/climate_32k.csv" temperature,humidity
