#!/usr/bin/env bash
# What the PDF report adds to a report: vexa-chart-report as a whole process
# on the 1 000 000-line climate export, the workbook alone and with --pdf,
# run in turns so that both see the same machine; prints each median wall
# time and the share the PDF adds.
#   bench/pdf_report.sh [BUILD_DIR] (RUNS=11 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-11}
source bench/timing.sh
bench_programs "${1:-}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generate" climate 1000000 "$work/climate_1m.csv"
cat "$work/climate_1m.csv" > /dev/null  # from the page cache, as a user's second run

: > "$work/workbook"
: > "$work/pdf"
for _ in $(seq "$runs"); do
  seconds "$program" --limit temperature=15:25 --output "$work/a.xlsx" "$work/climate_1m.csv" \
    >> "$work/workbook"
  seconds "$program" --pdf --limit temperature=15:25 --output "$work/b.xlsx" \
    "$work/climate_1m.csv" >> "$work/pdf"
done
[ -s "$work/b.pdf" ] || { echo "no PDF was written"; exit 1; }
alone=$(median < "$work/workbook")
with=$(median < "$work/pdf")
printf 'climate 1 000 000 lines   workbook %s s   with --pdf %s s   PDF adds %s %%\n' \
  "$alone" "$with" "$(awk -v a="$alone" -v b="$with" 'BEGIN { printf "%.1f", (b / a - 1) * 100 }')"
