#!/usr/bin/env bash
# The same export, options and clock give the same workbook and the same PDF
# report, byte for byte, from the Linux and the Windows batch programs.
#   same_workbooks_test.sh WINE_RUNNER LINUX_PROGRAM WINDOWS_PROGRAM.exe EXAMPLES_DIR
set -euo pipefail
wine=$1
linux=$2
windows=$3
examples=$4
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$linux" ] || fail "no Linux build at $linux: build it first (scripts/build.sh release)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1610000000
compared=0
for export in "$examples"/*.csv; do
  name=$(basename "$export" .csv)
  for options in "" "--series temperature,humidity,battery,light --log --decimals 2" \
                 "--series battery --from 2021-01-11_06:00:00 --to 2021-01-11_18:00:00"; do
    # shellcheck disable=SC2086  # options are words
    set -- ${options//_/ }
    args=()
    while [ $# -gt 0 ]; do
      case "$1" in
        --from|--to) args+=("$1" "$2 $3"); shift 3 ;;
        *) args+=("$1"); shift ;;
      esac
    done
    linux_status=0; windows_status=0
    "$linux" "${args[@]}" --pdf --output "$work/linux.xlsx" "$export" > /dev/null 2>&1 ||
      linux_status=$?
    "$wine" "$windows" "${args[@]}" --pdf --output "$work/windows.xlsx" "$export" \
      > /dev/null 2>&1 || windows_status=$?
    [ "$linux_status" -eq "$windows_status" ] ||
      fail "$name $options: exit $linux_status on Linux, $windows_status on Windows"
    if [ "$linux_status" -eq 0 ]; then
      cmp -s "$work/linux.xlsx" "$work/windows.xlsx" || fail "$name $options: workbooks differ"
      cmp -s "$work/linux.pdf" "$work/windows.pdf" || fail "$name $options: PDF reports differ"
      compared=$((compared + 1))
    fi
    rm -f "$work/linux.xlsx" "$work/windows.xlsx" "$work/linux.pdf" "$work/windows.pdf"
  done
done
[ "$compared" -ge 14 ] || fail "only $compared workbooks compared"
echo "ok: $compared workbooks and their PDF reports the same"
