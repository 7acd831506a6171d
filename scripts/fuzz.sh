#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour
# sanitizers) and runs a target, or all five, for SECONDS each, two at a
# time. A finding (a crash, a leak, a hang, a failed check) ends with status
# 1; its input is kept under build/fuzz/findings/ and belongs, once fixed, in
# tests/fuzz/corpus/TARGET/ as a regression input.
#   scripts/fuzz.sh open|start|entry|report|join|all [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-all}
seconds=${2:-60}
case "$which" in
  all) targets=(open start entry report join) ;;
  open|start|entry|report|join) targets=("$which") ;;
  *) echo "usage: $0 open|start|entry|report|join|all [SECONDS]" >&2; exit 2 ;;
esac
bash scripts/build.sh fuzz > /dev/null
mkdir -p build/fuzz/findings

run() {
  local target=$1
  local corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  # New inputs go to the build tree; the seeds and regression inputs are read.
  build/fuzz/tests/fuzz/fuzz_"$target" "$corpus" "tests/fuzz/corpus/$target" \
    -dict=tests/fuzz/export.dict -max_total_time="$seconds" -max_len=65536 -timeout=20 \
    -rss_limit_mb=3072 -artifact_prefix="build/fuzz/findings/$target-" -print_final_stats=1 \
    > "build/fuzz/$target.log" 2>&1
}

status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for target in "${targets[@]:i:2}"; do
    run "$target" & pids+=("$!:$target")
  done
  for entry in "${pids[@]}"; do
    if wait "${entry%%:*}"; then
      echo "fuzz ${entry#*:}: clean for ${seconds} s ($(grep -o 'stat::number_of_executed_units: [0-9]*' "build/fuzz/${entry#*:}.log" | grep -o '[0-9]*$') runs)"
    else
      echo "fuzz ${entry#*:}: FINDING"
      tail -n 40 "build/fuzz/${entry#*:}.log"
      status=1
    fi
  done
done
exit "$status"
