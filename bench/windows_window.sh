#!/usr/bin/env bash
# The Win32 window under Wine on a virtual display: Open of the 1,000,000-line
# climate-and-light export to its preview drawn, a ticked box and a band
# step to the next frame (medians, milliseconds). Linux's window measures
# the same steps in bench_preview.
#   bench/windows_window.sh [LINUX_BUILD] [WINDOWS_BUILD]   (RUNS=9 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build/release}
windows=${2:-build/windows}
[ -x "$linux/bench/vexa-generate-export" ] || { echo "build $linux first"; exit 1; }
[ -f "$windows/bench/win32_window_probe.exe" ] || { echo "build $windows first"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$linux/bench/vexa-generate-export" light 1000000 "$work/light_1m.csv"
xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine.sh "$windows/bench/win32_window_probe.exe" \
  "Z:$work/light_1m.csv" "${RUNS:-9}"
