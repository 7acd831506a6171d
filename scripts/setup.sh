#!/usr/bin/env bash
# Installs the Debian packages that building and running Vexa_Сhart need:
# the compiler and CMake, Qt 6 with its Russian translations, libdeflate,
# libharu for the PDF report, the fonts the window was designed with (and
# the report's), and the desktop's opener. The
# tests, the benchmarks and the Windows build need more: scripts/setup-tests.sh
# installs those on top. Safe to run more than once. Needs root (or sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev qt6-translations-l10n
  libdeflate-dev libhpdf-dev
  fonts-wine fonts-liberation
  xdg-utils
)

source "$(dirname "$0")/packages.sh"
install_missing "${packages[@]}"
