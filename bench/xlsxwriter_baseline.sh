#!/usr/bin/env bash
# The batch program against the yardstick of a script: the 1,000,000-line
# climate export to its saved workbook, by vexa-chart-report and by
# bench/xlsxwriter_report.py (XlsxWriter), as whole processes in the same run,
# turn about; prints both medians and how many times faster the program is.
#   bench/xlsxwriter_baseline.sh [BUILD_DIR] (RUNS=7 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${RUNS:-7}
program=$build/src/vexa-chart-report
generate=$build/bench/vexa-generate-export
[ -x "$program" ] && [ -x "$generate" ] || { echo "build $build first (scripts/build.sh)"; exit 1; }
/usr/bin/python3 -c 'import xlsxwriter' 2> /dev/null ||
  { echo "XlsxWriter is missing (scripts/setup-tests.sh installs python3-xlsxwriter)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generate" climate 1000000 "$work/climate_1m.csv"
cat "$work/climate_1m.csv" > /dev/null  # from the page cache for both

source bench/timing.sh
for _ in $(seq "$runs"); do
  seconds "$program" --output "$work/program.xlsx" "$work/climate_1m.csv" >> "$work/program"
  seconds /usr/bin/python3 bench/xlsxwriter_report.py "$work/climate_1m.csv" \
    "$work/script.xlsx" >> "$work/script"
done
program_s=$(median < "$work/program")
script_s=$(median < "$work/script")
printf '%-34s %8s\n' "1M climate → workbook" "wall s" \
  "vexa-chart-report" "$program_s" "XlsxWriter script" "$script_s"
awk -v p="$program_s" -v s="$script_s" 'BEGIN { printf "the program is %.1f× faster\n", s / p }'
