#!/usr/bin/env bash
# Times the real program from launch to its title, as a user sees it, under Xvfb:
#   [VERTICAL=1] tools/measure_start.sh [FILE] [BUILD_DIR]
# FILE defaults to the 20 MB novel that bench_app_startup leaves in $TMPDIR. The title
# needs the laid-out line count, so it appears only once the whole file is laid out.
# Prints the seconds from launch to the title and the program's peak resident memory.
set -euo pipefail
file=${1:-${TMPDIR:-/tmp}/verlo-novel-20mb.txt}
build=${2:-build}
[ -f "$file" ] || { echo "no file $file (run bench_app_startup once, or name a file)" >&2; exit 2; }
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
config=$(mktemp -d)
if [ "${VERTICAL:-0}" = 1 ]; then
  mkdir -p "$config/Tarnvel" && printf '[Window]\nVerHor=1\n' > "$config/Tarnvel/Verlo.ini"
fi
trap 'kill "$pid" "$xvfb" 2>/dev/null || true; rm -rf "$config"' EXIT
sleep 0.5
start=$(date +%s.%N)
DISPLAY=$display XDG_CONFIG_HOME=$config "$build/verlo" "$file" >/dev/null 2>&1 &
pid=$!
name=$(basename "$file")
until DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q "Verlo - $name .*全"; do
  sleep 0.01
done
end=$(date +%s.%N)
sleep 0.5
peak=$(awk '/VmHWM/ {print $2 / 1024 " MiB"}' "/proc/$pid/status")
echo "launch to title: $(echo "$end - $start" | bc) s; peak memory: $peak"
