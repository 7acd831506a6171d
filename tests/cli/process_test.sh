#!/usr/bin/env bash
# The batch program as a whole process: exit statuses and the streams.
#   process_test.sh PROGRAM EXAMPLES_DIR
set -euo pipefail
program=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Every example reports; one path per file on standard output.
cp "$examples"/*.csv "$work/"
"$program" "$work"/*.csv > "$work/out" 2> "$work/err" || fail "examples: exit $?: $(cat "$work/err")"
[ "$(wc -l < "$work/out")" -eq "$(ls "$work"/*.csv | wc -l)" ] || fail "one line per file"
while read -r path; do [ -s "$path" ] || fail "no workbook $path"; done < "$work/out"
[ ! -s "$work/err" ] || fail "unexpected messages: $(cat "$work/err")"

# A usage error is status 2, a file that does not report is status 1.
set +e
"$program" --decimals 12 "$work/tag_climate.csv" > /dev/null 2>&1; usage=$?
"$program" "$work/tag_climate.csv" "$work/none.csv" > /dev/null 2> "$work/err"; bad=$?
set -e
[ "$usage" -eq 2 ] || fail "usage error gave $usage"
[ "$bad" -eq 1 ] || fail "missing file gave $bad"
grep -q "none.csv: Не удалось прочитать файл" "$work/err" || fail "message: $(cat "$work/err")"
echo ok
