#!/usr/bin/env bash
# Installs, on top of what scripts/setup.sh installs for the program, what the
# tests and the benchmarks need: GoogleTest and Google Benchmark, clang for
# the fuzz targets, Xvfb for the windows, the readers of the
# interoperability panel (LibreOffice, Gnumeric, openpyxl, xlsx2csv, Apache
# POI with a Java runtime), XlsxWriter for the benchmarks' yardstick, and the
# Windows build (mingw-w64, Wine, NSIS, the Russian locale, and the sources
# of the libdeflate and the libharu that Linux links). Safe to run more than
# once. Needs root (or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

packages=(
  clang-format clang libclang-rt-14-dev libxml2-dev
  libzip-dev zipcmp zipmerge ziptool
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils imagemagick
  libreoffice-calc-nogui poppler-utils qpdf gnumeric python3-openpyxl xlsx2csv libxml2-utils
  python3-xlsxwriter
  default-jdk-headless libapache-poi-java libxmlbeans-java
  fonts-dejavu-core fonts-crosextra-carlito
  dpkg-dev file time
  # The Windows build: mingw-w64 (posix threads), zlib for the tests' zip
  # reader, Wine to run the programs and their tests, NSIS for the installer,
  # the Russian locale that Cyrillic file names need under Wine.
  g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev wine64 nsis zip unzip locales
)

source scripts/packages.sh
install_missing "${packages[@]}"

# Cyrillic file names inside Wine need a real Russian UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  run localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi

# The Debian sources of the very version of a library that Linux links, for
# the Windows build, which compiles them: both platforms then write the same
# bytes (libdeflate's deflate, libharu's PDF). They come from the archive the
# machine already installs from, and only from it.
sources_listed=
debian_source() {
  local binary=$1 dest=$2 source version work orig
  source=$(dpkg-query -W -f='${source:Package}' "$binary")
  version=$(dpkg-query -W -f='${source:Version}' "$binary")
  if [ "$(cat "$dest/.debian-version" 2>/dev/null)" = "$version" ]; then
    return 0
  fi
  if [ -z "$sources_listed" ] &&
     ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    local codename archive
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    archive=$({ grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{ print $2 }'
                grep -hs '^deb ' /etc/apt/sources.list |
                  sed -E 's/^deb +(\[[^]]*\] +)?([^ ]+).*/\2/'; } | grep -E '/debian/?$' | head -n 1 || true)
    if [ -z "$archive" ]; then
      echo "setup: this machine's package sources name no Debian archive (in" \
           "/etc/apt/sources.list or /etc/apt/sources.list.d/*.sources), so the sources of" \
           "$source for the Windows build cannot be fetched; add the archive the machine" \
           "installs from and run this again." >&2
      exit 1
    fi
    printf 'Types: deb-src\nURIs: %s\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$archive" "$codename" "$codename" |
      run tee /etc/apt/sources.list.d/vexa-chart-sources.sources > /dev/null
    run apt-get update
  fi
  sources_listed=yes
  work=$(mktemp -d)
  chmod 755 "$work"  # apt's own user downloads into it
  # Where the archive lacks the package's Debian changes, its original
  # sources are taken alone (libharu's changes touch the packaging only).
  (cd "$work" && apt-get source -q --download-only "$source=$version" > /dev/null 2>&1) || true
  orig=$(ls "$work"/*.orig.tar.* 2>/dev/null | head -n 1 || true)
  if [ -z "$orig" ]; then
    echo "setup: the archive has no sources of $source $version for the Windows build." >&2
    exit 1
  fi
  if ls "$work"/*.debian.tar.* > /dev/null 2>&1; then
    (cd "$work" && dpkg-source -q -x ./*.dsc tree > /dev/null)
  else
    mkdir "$work/tree"
    tar -xf "$orig" -C "$work/tree" --strip-components=1
  fi
  run rm -rf "$dest"
  run mv "$work/tree" "$dest"
  echo "$version" | run tee "$dest/.debian-version" > /dev/null
  rm -rf "$work"
}
debian_source libdeflate-dev /usr/src/libdeflate
debian_source libhpdf-dev /usr/src/libharu
