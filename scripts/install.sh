#!/usr/bin/env bash
# Builds Verlo (release) and installs it with its desktop entry and icons, by default
# under /usr/local (run as root, or through sudo). PREFIX=... chooses another place.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
prefix=${PREFIX:-/usr/local}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERLO_TESTS=OFF -DVERLO_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build build --target verlo verlo_icons
if [ -w "$prefix" ] || [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi
"${as_root[@]}" cmake --install build
command -v update-desktop-database >/dev/null && "${as_root[@]}" update-desktop-database -q "$prefix/share/applications" || true
command -v gtk-update-icon-cache >/dev/null && "${as_root[@]}" gtk-update-icon-cache -q -t "$prefix/share/icons/hicolor" || true
echo "Verlo is installed in $prefix: start it from the desktop's menu or with: verlo [FILE]"
