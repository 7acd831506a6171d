#!/usr/bin/env bash
# Sets up the machine, builds the program and starts its window. Without a
# display it does the program's main job from the command line instead: a
# report of an example export, and where it was written.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh program
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/vexa-chart "$@"
fi
echo "No display: writing a report of examples/tag_climate_light.csv with vexa-chart-report." >&2
mkdir -p out
report=$(build/release/src/vexa-chart-report --series temperature,humidity,light --log \
  --output out/tag_climate_light-report.xlsx examples/tag_climate_light.csv)
echo "Report written to $report"
