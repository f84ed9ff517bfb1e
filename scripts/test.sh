#!/usr/bin/env bash
# Installs what is missing, builds Verlo and its tests with warnings as errors, AddressSanitizer
# (leaks included) and UndefinedBehaviorSanitizer, and runs every test. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVERLO_SANITIZE=ON -DVERLO_WERROR=ON -DVERLO_BENCH=OFF >/dev/null
cmake --build build-check
cd build-check
ctest --output-on-failure --timeout 600 -j2
