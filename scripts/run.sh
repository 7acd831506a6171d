#!/usr/bin/env bash
# Sets up the machine, builds the program and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the window on a virtual screen (xvfb-run)." >&2
  exec xvfb-run -a build/release/src/vexa-chart "$@"
fi
exec build/release/src/vexa-chart "$@"
