#!/usr/bin/env bash
# Builds Verlo (release) and makes a Debian package of it in build/ (verlo_<version>_<arch>.deb),
# with its dependencies declared; install it with: apt install ./build/verlo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERLO_TESTS=OFF -DVERLO_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build --target verlo verlo_icons
(cd build && cpack -G DEB)
ls -1 build/*.deb
