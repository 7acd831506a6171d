#!/usr/bin/env bash
# Installs every Debian package needed to build, run, test and benchmark
# Vexa_Сhart. Safe to run more than once. Needs root (or sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev libxml2-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  qt6-translations-l10n
  libzip-dev zipcmp zipmerge ziptool libdeflate-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils imagemagick
  libreoffice-calc-nogui poppler-utils gnumeric python3-openpyxl xlsx2csv libxml2-utils
  python3-xlsxwriter
  default-jdk-headless libapache-poi-java libxmlbeans-java
  fonts-wine fonts-liberation fonts-dejavu-core fonts-crosextra-carlito
  xdg-utils dpkg-dev file time
  # The Windows build: mingw-w64 (posix threads), zlib for the tests' zip
  # reader, Wine to run the programs and their tests, NSIS for the installer,
  # the Russian locale that Cyrillic file names need under Wine.
  g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev wine64 nsis zip unzip locales
)

run() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

export DEBIAN_FRONTEND=noninteractive
run apt-get update
run apt-get install -y --no-install-recommends "${packages[@]}"

# Cyrillic file names inside Wine need a real Russian UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  run localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi

# libdeflate's sources, of the very version Linux links, for the Windows
# build: both platforms deflate a workbook to the same bytes.
version=$(dpkg-query -W -f='${Version}' libdeflate-dev)
if [ "$(cat /usr/src/libdeflate/.debian-version 2>/dev/null)" != "$version" ]; then
  if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    # The sources from the archive the machine already installs from.
    archive=$({ grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{ print $2 }'
                grep -hs '^deb ' /etc/apt/sources.list |
                  sed -E 's/^deb +(\[[^]]*\] +)?([^ ]+).*/\2/'; } | grep -E '/debian/?$' | head -n 1 || true)
    printf 'Types: deb-src\nURIs: %s\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "${archive:-http://deb.debian.org/debian}" "$codename" "$codename" |
      run tee /etc/apt/sources.list.d/vexa-chart-sources.sources > /dev/null
    run apt-get update
  fi
  work=$(mktemp -d)
  chmod 755 "$work"  # apt's own user downloads into it
  (cd "$work" && apt-get source -q "libdeflate=$version" > /dev/null)
  run rm -rf /usr/src/libdeflate
  run mv "$work"/libdeflate-*/ /usr/src/libdeflate
  echo "$version" | run tee /usr/src/libdeflate/.debian-version > /dev/null
  rm -rf "$work"
fi
