#!/usr/bin/env bash
# Configures and builds one build tree:
#   scripts/build.sh [release|program|sanitize|fuzz|windows]
# "program" builds the programs alone (build/release without the tests and
# the benchmarks), with what scripts/setup.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
case "$kind" in
  release)
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_BUILD_TESTS=ON \
      -DVEXA_BUILD_BENCH=ON ;;
  program)
    kind=release
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_BUILD_TESTS=OFF \
      -DVEXA_BUILD_BENCH=OFF ;;
  sanitize)
    # AddressSanitizer and UndefinedBehaviorSanitizer; no benchmarks.
    cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXA_SANITIZE=ON \
      -DVEXA_BUILD_BENCH=OFF ;;
  fuzz)
    # The libFuzzer targets, with clang, address and undefined-behaviour
    # sanitizers; no window, no tests, no benchmarks.
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVEXA_FUZZ=ON -DVEXA_BUILD_APP=OFF -DVEXA_BUILD_TESTS=OFF -DVEXA_BUILD_BENCH=OFF ;;
  windows)
    # Cross-built for 64-bit Windows with mingw-w64; its tests run under Wine.
    cmake --preset windows ;;
  *)
    echo "usage: $0 [release|program|sanitize|fuzz|windows]" >&2; exit 2 ;;
esac
cmake --build "build/$kind" --parallel "$(nproc)"
