#!/usr/bin/env bash
# The Windows batch program under Wine, with what Windows users' disks hold:
# a Cyrillic folder and file name, a workbook marked read-only, and a
# workbook that another program holds open as Excel holds an open one. Each
# refusal is a clear Russian message, and the old workbook stays byte for
# byte as it was.
#   hostile_paths_test.sh WINE_RUNNER PROGRAM.exe FILE_TOOL.exe EXAMPLES_DIR
set -euo pipefail
wine=$1
program=$2
tool=$3
examples=$4
fail() { echo "FAIL: $*"; exit 1; }

drive_c="$("$wine" --prefix)/drive_c"
"$wine" cmd /c exit 0 > /dev/null 2>&1 || true  # the prefix exists from here on
folder="$drive_c/Данные-$$"
rm -rf "$folder"
mkdir -p "$folder"
trap 'rm -rf "$folder"' EXIT
cp "$examples/tag#2_freezer.csv" "$folder/tag#2_freezer.csv"
windows="C:\\Данные-$$"

# A Cyrillic path: the workbook lands beside the export under the
# time-stamped name, and the path printed is the one written.
"$wine" "$program" --series temperature,humidity,battery "$windows\\tag#2_freezer.csv" \
  > "$folder/out" 2> "$folder/err" || fail "Cyrillic path: exit $?: $(cat "$folder/err")"
printed=$(tr -d '\r' < "$folder/out")
case "$printed" in
  "$windows\\tag#2_freezer-"[0-9]*_[0-9]*.xlsx) ;;
  *) fail "printed path: $printed" ;;
esac
written=$(ls "$folder"/tag#2_freezer-*.xlsx)
[ "$(ls "$folder"/*.xlsx | wc -l)" -eq 1 ] || fail "not one workbook: $(ls "$folder")"
unzip -p "$written" xl/sharedStrings.xml | grep -q "Температура зонда (°C)" ||
  fail "the workbook does not hold the probe heading"

# A report to a workbook marked read-only.
old="$folder/Отчёт.xlsx"
cp "$written" "$old"
"$wine" "$tool" readonly "$windows\\Отчёт.xlsx"
before=$(sha256sum < "$old")
set +e
"$wine" "$program" --output "$windows\\Отчёт.xlsx" "$windows\\tag#2_freezer.csv" \
  > /dev/null 2> "$folder/err"
status=$?
set -e
[ "$status" -eq 1 ] || fail "read-only target: exit $status"
grep -q "Не удалось сохранить книгу \".*Отчёт.xlsx\": файл доступен только для чтения." \
  "$folder/err" || fail "read-only message: $(cat "$folder/err")"
[ "$(sha256sum < "$old")" = "$before" ] || fail "the read-only workbook changed"
chmod u+w "$old"

# A report to a workbook that another program holds open.
open="$folder/Открытый.xlsx"
cp "$written" "$open"
before=$(sha256sum < "$open")
"$wine" "$tool" hold "$windows\\Открытый.xlsx" "$windows\\held" &
holder=$!
for _ in $(seq 200); do [ -e "$folder/held" ] && break; sleep 0.05; done
[ -e "$folder/held" ] || fail "the workbook could not be held open"
set +e
"$wine" "$program" --output "$windows\\Открытый.xlsx" "$windows\\tag#2_freezer.csv" \
  > /dev/null 2> "$folder/err"
status=$?
set -e
rm -f "$folder/held"
wait "$holder"
[ "$status" -eq 1 ] || fail "held target: exit $status"
grep -q "файл открыт в другой программе (возможно, в Excel); закройте его и повторите." \
  "$folder/err" || fail "held message: $(cat "$folder/err")"
[ "$(sha256sum < "$open")" = "$before" ] || fail "the held workbook changed"
leftovers=$(ls -A "$folder" | grep -v -x -e 'tag#2_freezer.csv' -e out -e err \
  -e 'Отчёт.xlsx' -e 'Открытый.xlsx' -e "$(basename "$written")" || true)
[ -z "$leftovers" ] || fail "left beside the workbooks: $leftovers"

# Released, the same report replaces it.
"$wine" "$program" --output "$windows\\Открытый.xlsx" "$windows\\tag#2_freezer.csv" \
  > /dev/null 2> "$folder/err" || fail "released target: $(cat "$folder/err")"
[ "$(sha256sum < "$open")" != "$before" ] || fail "the released workbook was not replaced"
echo ok
