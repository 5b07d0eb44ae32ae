#!/usr/bin/env bash
# Builds the release programs and runs the main job on the bundled example sale.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target strovan-cli
build/release/cli/strovan-cli dump data/examples/sale.crz
