#!/usr/bin/env bash
# Times the whole program writing a PDF without a display, as a writer's script runs it:
#   [FORMAT=20x20] tools/measure_pdf.sh [FILE] [BUILD_DIR]
# FILE defaults to the 20 MB novel that bench_app_startup leaves in $TMPDIR. The default
# page setup is used (a settings folder of its own), changed by FORMAT. Prints the seconds,
# the peak resident memory, the pages and the size of the file.
set -euo pipefail
file=${1:-${TMPDIR:-/tmp}/verlo-novel-20mb.txt}
build=${2:-build}
[ -f "$file" ] || { echo "no file $file (run bench_app_startup once, or name a file)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
XDG_CONFIG_HOME=$work /usr/bin/time -f "%e s; peak memory: %M KiB" \
  "$build/verlo" --pdf "$work/out.pdf" --format "${FORMAT:-20x20}" "$file" 2>&1 | grep -v XDG_RUNTIME_DIR
pdfinfo "$work/out.pdf" | grep -E '^(Pages|File size):'
