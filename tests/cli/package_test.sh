#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a temporary
# root and runs the installed batch program there.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" > "$work/cpack.log" || {
  cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/package/*.deb)
info=$(dpkg-deb --info "$deb")
grep -q 'Depends:.*libdeflate' <<< "$info" || { echo "no libdeflate dependency: $info"; exit 1; }
grep -q 'Recommends:.*fonts-crosextra-carlito' <<< "$info" || {
  echo "Carlito, LibreOffice's Calibri, is not recommended: $info"; exit 1; }
grep -q 'Depends:.*qt6-qpa-plugins' <<< "$info" || { echo "no Qt platform plugins: $info"; exit 1; }
dpkg -x "$deb" "$work/root"
for file in usr/bin/vexa-chart usr/bin/vexa-chart-report \
            usr/share/applications/vexa-chart.desktop \
            usr/share/icons/hicolor/scalable/apps/vexa-chart.svg; do
  [ -e "$work/root/$file" ] || { echo "missing $file"; exit 1; }
done
version=$("$work/root/usr/bin/vexa-chart-report" --version)
echo "$version"
[[ "$version" == "vexa-chart-report "* ]]
