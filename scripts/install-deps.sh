#!/usr/bin/env bash
# Installs everything Verlo needs to build, run and test on Debian 12.
# Safe to run again: apt skips what is already installed.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  clang-14 libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-translations-l10n qt6-qpa-plugins
  libgl-dev libxkbcommon-dev
  libharfbuzz-dev libicu-dev libssl-dev openssl libfontconfig-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-noto-cjk
  xvfb xauth x11-utils imagemagick bc poppler-utils qpdf
  chromium
  desktop-file-utils dpkg-dev file librsvg2-bin
  at-spi2-core dbus-bin dbus-daemon python3-pyatspi gir1.2-atspi-2.0 xdotool xclip openbox
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
