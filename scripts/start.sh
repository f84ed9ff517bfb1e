#!/usr/bin/env bash
# Installs what is missing, builds Verlo (release) and starts it. Arguments go to the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERLO_TESTS=OFF -DVERLO_BENCH=OFF >/dev/null
cmake --build build --target verlo
exec ./build/verlo "$@"
