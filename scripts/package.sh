#!/usr/bin/env bash
# Builds the Debian package: a Release build of the two programs and their documents,
# then cpack. The package (strovan_VERSION_ARCH.deb) lands in build/package/; install it
# with: sudo apt install ./build/package/strovan_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Only what the package holds is built: the install step does not wait for the tests.
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTROVAN_BENCH=OFF \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build build/package --target strovan strovan-cli cli_docs
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/strovan_*.deb
