#!/usr/bin/env bash
# The installer as a Windows user runs it, under Wine: silently, per user,
# without administrator rights; the programs where it says, the Start-menu
# entry, "Open with" for .csv, an entry in Programs and Features; the
# installed batch program reports an export; the uninstaller refuses while
# the window runs (exit status 2, nothing removed) and then takes it all
# away again. The portable .zip holds the two programs.
#   installer_test.sh WINE_RUNNER SETUP.exe PORTABLE.zip EXAMPLES_DIR
set -euo pipefail
wine=$1
setup=$2
portable=$3
examples=$4
fail() { echo "FAIL: $*"; exit 1; }

prefix=$("$wine" --prefix)
export WINEPREFIX=$prefix  # for wineserver -w
"$wine" cmd /c exit 0 > /dev/null 2>&1 || true  # the prefix exists from here on
user=$(ls "$prefix/drive_c/users" | grep -v -x -e Public | head -n 1)
home="$prefix/drive_c/users/$user"
installed="$home/AppData/Local/Programs/Vexa_Chart"
shortcut="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vexa_Сhart.lnk"
query() { "$wine" reg query "$1" ${2:+/v "$2"} 2> /dev/null | tr -d '\r'; }
# The uninstaller runs in place and waits until it is done.
uninstall() {
  if [ -f "$installed/uninstall.exe" ]; then
    "$wine" "$installed/uninstall.exe" /S
  fi
}
uninstall || true  # what an earlier run left

"$wine" "$setup" /S
/usr/lib/wine/wineserver -w
for file in vexa-chart.exe vexa-chart-report.exe uninstall.exe README.txt examples/tag_climate.csv \
            fonts/LiberationSans-Regular.ttf fonts/LiberationSans-Bold.ttf \
            fonts/LiberationSans-LICENSE.txt; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
query 'HKCU\Software\Classes\Applications\vexa-chart.exe\shell\open\command' |
  grep -q 'vexa-chart.exe" "%1"' || fail "no \"Open with\" command"
query 'HKCU\Software\Classes\.csv\OpenWithProgids' VexaChart.csv | grep -q VexaChart.csv ||
  fail "not offered for .csv files"
# The registry as Wine keeps it (reg.exe prints in the console's code page):
# the name with its Cyrillic С (U+0421).
/usr/lib/wine/wineserver -w
grep -a -A8 -F '[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexa_Chart]' \
  "$prefix/user.reg" | grep -q -F '"DisplayName"="Vexa_\x421hart"' ||
  fail "not in Programs and Features"

# The installed batch program reports an example, as a user's script would.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$examples/tag_climate.csv" "$work/"
"$wine" "$installed/vexa-chart-report.exe" --pdf --output "Z:$work/report.xlsx" \
  "Z:$work/tag_climate.csv" > /dev/null 2> "$work/err" ||
  fail "the installed program: $(cat "$work/err")"
unzip -l "$work/report.xlsx" | grep -q xl/charts/chart1.xml || fail "no chart in the report"
head -c 5 "$work/report.pdf" | grep -q '%PDF-' || fail "no PDF beside the report (its fonts?)"

# While the window runs, a silent uninstall removes nothing and says so.
"$wine" "$installed/vexa-chart.exe" &
window=$!
for _ in $(seq 100); do
  "$wine" cmd /c tasklist 2> /dev/null | grep -qi vexa-chart.exe && break
  sleep 0.2
done
status=0
uninstall || status=$?
[ "$status" -eq 2 ] || fail "uninstalling under the running window ended with $status, not 2"
for file in vexa-chart.exe vexa-chart-report.exe uninstall.exe README.txt examples/tag_climate.csv; do
  [ -f "$installed/$file" ] || fail "removed under the running window: $file"
done
"$wine" cmd /c taskkill /im vexa-chart.exe /f > /dev/null 2>&1 || true
wait "$window" 2> /dev/null || true

uninstall || fail "the uninstaller ended with $?"
# The uninstaller's own file goes once it has ended.
for _ in $(seq 150); do [ -e "$installed" ] || break; sleep 0.1; done
/usr/lib/wine/wineserver -w
[ ! -e "$installed" ] || fail "left after uninstalling: $(ls -A "$installed")"
[ ! -e "$shortcut" ] || fail "the Start-menu entry stays"
if query 'HKCU\Software\Classes\Applications\vexa-chart.exe' > /dev/null; then
  fail "\"Open with\" stays"
fi

# The portable .zip.
unzip -l "$portable" > "$work/listing"
for file in Vexa_Chart/vexa-chart.exe Vexa_Chart/vexa-chart-report.exe Vexa_Chart/README.txt \
            Vexa_Chart/examples/tag_climate.csv Vexa_Chart/fonts/LiberationSans-Regular.ttf \
            Vexa_Chart/fonts/LiberationSans-LICENSE.txt; do
  grep -q " $file\$" "$work/listing" || fail "not in the .zip: $file"
done
echo ok
