#!/usr/bin/env bash
# The Windows batch program under Wine against the Linux build, as whole
# processes in the same run: the 1,000,000-line climate export (and the
# climate-and-light one) to its saved workbook, median wall time of each and
# their ratio. Wine's server is kept running, as it is on a desktop.
#   bench/windows_batch.sh [LINUX_BUILD] [WINDOWS_BUILD]   (RUNS=11 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build/release}
windows=${2:-build/windows}
runs=${RUNS:-11}
[ -x "$linux/src/vexa-chart-report" ] && [ -x "$linux/bench/vexa-generate-export" ] ||
  { echo "build $linux first (scripts/build.sh release)"; exit 1; }
[ -f "$windows/src/vexa-chart-report.exe" ] || { echo "build $windows first (scripts/build.sh windows)"; exit 1; }

work=$(mktemp -d)
export WINEPREFIX
WINEPREFIX=$(scripts/wine.sh --prefix)
/usr/lib/wine/wineserver -p 60  # stays up between the runs
trap '/usr/lib/wine/wineserver -k 2> /dev/null || true; rm -rf "$work"' EXIT
"$linux/bench/vexa-generate-export" climate 1000000 "$work/climate_1m.csv"
"$linux/bench/vexa-generate-export" light 1000000 "$work/light_1m.csv"

source bench/timing.sh

printf '%-18s %-32s %10s %10s %7s\n' export series "Linux s" "Wine s" ratio
for case in "climate_1m temperature,humidity" "light_1m temperature,humidity,battery,light"; do
  set -- $case
  file="$work/$1.csv"
  cat "$file" > /dev/null
  scripts/wine.sh "$windows/src/vexa-chart-report.exe" --output "$work/warm" "$file" > /dev/null 2>&1
  : > "$work/linux"; : > "$work/wine"
  for _ in $(seq "$runs"); do
    seconds "$linux/src/vexa-chart-report" --series "$2" --output "$work/linux.xlsx" "$file" \
      >> "$work/linux"
    seconds scripts/wine.sh "$windows/src/vexa-chart-report.exe" --series "$2" \
      --output "$work/wine.xlsx" "$file" >> "$work/wine"
  done
  l=$(median < "$work/linux")
  w=$(median < "$work/wine")
  printf '%-18s %-32s %10s %10s %7s\n' "$1" "$2" "$l" "$w" "$(awk -v l="$l" -v w="$w" 'BEGIN { printf "%.2f", w / l }')"
done
