#!/usr/bin/env bash
# Regenerates src/text/cp932_table.cpp from glibc's iconv CP932 converter.
# The counts it prints must match the constants in src/text/codec_table.h.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -o "$tmp/gen" tools/gen_cp932_table.cpp
"$tmp/gen" > "$tmp/cp932_table.cpp"
mv "$tmp/cp932_table.cpp" src/text/cp932_table.cpp
