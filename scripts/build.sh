#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [release|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
case "$kind" in
  release)
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release ;;
  sanitize)
    # AddressSanitizer and UndefinedBehaviorSanitizer; no benchmarks.
    cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXA_SANITIZE=ON \
      -DVEXA_BUILD_BENCH=OFF ;;
  *)
    echo "usage: $0 [release|sanitize]" >&2; exit 2 ;;
esac
cmake --build "build/$kind" --parallel "$(nproc)"
