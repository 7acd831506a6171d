#!/usr/bin/env bash
# Peak memory and wall time of the batch program on a 2 GB export, in UTF-8
# and in UTF-16 (with its byte-order mark): thinned and reported in two
# bounded passes. Needs some 5 GB of free disk for the two files.
#   bench/huge_export.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
program=$build/src/vexa-chart-report
generate=$build/bench/vexa-generate-export
[ -x "$program" ] && [ -x "$generate" ] || { echo "build $build first (scripts/build.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$generate" climate 42000000 "$work/utf8.csv"
{ printf '\xFF\xFE'; head -c 1000000000 "$work/utf8.csv" | iconv -f UTF-8 -t UTF-16LE; } \
  > "$work/utf16.csv"
printf '%-10s %10s %8s %8s\n' export "size MB" "wall s" "peak MB"
for name in utf8 utf16; do
  file=$work/$name.csv
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/rss" "$program" --output "$work/$name.xlsx" "$file" \
    > /dev/null 2>&1
  end=$(date +%s%N)
  awk -v n="$name" -v size="$(stat -c %s "$file")" -v ns=$((end - start)) \
      -v kb="$(tail -n 1 "$work/rss")" \
      'BEGIN { printf "%-10s %10.0f %8.2f %8.1f\n", n, size / 1048576, ns / 1e9, kb / 1024 }'
done
