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
  default-jdk-headless libapache-poi-java libxmlbeans-java
  fonts-wine fonts-liberation fonts-dejavu-core fonts-crosextra-carlito
  xdg-utils dpkg-dev file time
)

run() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

export DEBIAN_FRONTEND=noninteractive
run apt-get update
run apt-get install -y --no-install-recommends "${packages[@]}"
