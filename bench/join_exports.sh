#!/usr/bin/env bash
# The join of one tag's downloads (--join), as whole processes:
# - 12 monthly downloads of one tag (500 000 lines in all, each overlapping
#   the next by a day) against the report of one export of the same lines,
#   run in turns; prints each median wall time and their ratio;
# - two downloads of 500 000 lines each, joined: the peak memory, beside
#   that of the report of one export of their million lines.
#   bench/join_exports.sh [BUILD_DIR] (RUNS=7 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-7}
source bench/timing.sh
bench_programs "${1:-}"
[ -x /usr/bin/time ] || { echo "GNU time is missing (scripts/setup-tests.sh installs it)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Lines FROM..TO (1 is the first data line) of an export, under its header.
cut_export() {
  { head -n 1 "$1"; tail -n +2 "$1" | sed -n "$2,$3p"; } > "$4"
}

"$generate" climate 500000 "$work/whole.csv"
per=$((500000 / 12))
months=()
for m in $(seq 0 11); do
  from=$((m * per + 1))
  to=$(((m + 1) * per + 1440))  # a day of the next month's readings too
  [ "$m" -eq 11 ] && to=500000
  cut_export "$work/whole.csv" "$from" "$to" "$work/month_$m.csv"
  months+=("$work/month_$m.csv")
done
cat "$work/whole.csv" "${months[@]}" > /dev/null  # from the page cache

: > "$work/one"
: > "$work/joined"
for _ in $(seq "$runs"); do
  seconds "$program" --output "$work/one.xlsx" "$work/whole.csv" >> "$work/one"
  seconds "$program" --join --output "$work/joined.xlsx" "${months[@]}" >> "$work/joined"
done
[ -s "$work/joined.xlsx" ] || { echo "the join wrote no workbook"; exit 1; }
one=$(median < "$work/one")
joined=$(median < "$work/joined")
printf '12 downloads, 500 000 lines   one export %s s   joined %s s   ratio %s\n' \
  "$one" "$joined" "$(awk -v a="$one" -v b="$joined" 'BEGIN { printf "%.2f", b / a }')"

"$generate" climate 1000000 "$work/million.csv"
cut_export "$work/million.csv" 1 500000 "$work/first.csv"
cut_export "$work/million.csv" 500001 1000000 "$work/second.csv"
peak() { /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -n 1; }
single=$(peak "$program" --output "$work/m.xlsx" "$work/million.csv")
both=$(peak "$program" --join --output "$work/j.xlsx" "$work/first.csv" "$work/second.csv")
printf '2 x 500 000 lines joined   peak %s MB   (one export of the million lines: %s MB)\n' \
  "$((both / 1024))" "$((single / 1024))"
