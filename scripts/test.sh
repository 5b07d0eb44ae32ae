#!/usr/bin/env bash
# Builds everything in Debug with AddressSanitizer and UBSan and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTROVAN_SANITIZE=ON >/dev/null
cmake --build build/debug
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
ctest --test-dir build/debug --output-on-failure -j2
