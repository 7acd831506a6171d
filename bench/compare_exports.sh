#!/usr/bin/env bash
# The comparison of several tags (--compare), as whole processes: 100
# exports of 32 000 lines each into one comparison workbook (median wall
# time and peak memory), and 1 000 exports of 10 000 lines each (peak
# memory).
#   bench/compare_exports.sh [BUILD_DIR] (RUNS=3 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-3}
source bench/timing.sh
bench_programs "${1:-}"
[ -x /usr/bin/time ] || { echo "GNU time is missing (scripts/setup-tests.sh installs it)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
peak() { /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -n 1; }

# Tags of COUNT exports of LINES lines each, in FOLDER (one generated, the
# others copies of it).
tags() {
  mkdir -p "$3"
  "$generate" climate "$2" "$3/tag_1.csv"
  for i in $(seq 2 "$1"); do cp "$3/tag_1.csv" "$3/tag_$i.csv"; done
}

tags 100 32000 "$work/hundred"
: > "$work/times"
for _ in $(seq "$runs"); do
  seconds "$program" --compare --output "$work/c100.xlsx" "$work"/hundred/tag_*.csv >> "$work/times"
done
[ -s "$work/c100.xlsx" ] || { echo "the comparison wrote no workbook"; exit 1; }
printf '100 exports x 32 000 lines   %s s   peak %s MB\n' "$(median < "$work/times")" \
  "$(($(peak "$program" --compare --output "$work/c100.xlsx" "$work"/hundred/tag_*.csv) / 1024))"
rm -rf "$work/hundred" "$work/c100.xlsx"

tags 1000 10000 "$work/thousand"
printf '1 000 exports x 10 000 lines   peak %s MB\n' \
  "$(($(peak "$program" --compare --output "$work/c1000.xlsx" "$work"/thousand/tag_*.csv) / 1024))"
