#!/usr/bin/env bash
# Sets up the machine, builds the program for Linux twice (release, and with
# the address and undefined-behaviour sanitizers) and for Windows, and runs
# every test of the three (the Windows ones under Wine); then runs each fuzz
# target for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-tests.sh
bash scripts/check-format.sh
export QT_QPA_PLATFORM=offscreen
for kind in release sanitize; do
  bash scripts/build.sh "$kind"
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    ctest --test-dir "build/$kind" --output-on-failure --parallel "$(nproc)"
done
bash scripts/build.sh windows
ctest --test-dir build/windows --output-on-failure --parallel "$(nproc)"
bash scripts/fuzz.sh all 60
