#!/usr/bin/env bash
# CPU per typed key of any editor, measured as tools/measure_start.sh measures ours, so that
# programs can be set side by side in one run:
#   tools/measure_keys.sh NAME FILE COMMAND [ARGS...]
# Starts COMMAND ARGS FILE under its own Xvfb with a fresh home, waits for a window whose name
# holds FILE's name, sizes it to 800x700, then types 200 'a' 15 ms apart at the end (Ctrl+End)
# and in the middle (a middle click half way down the window's right edge, where a scroll bar
# jumps there, then a click in the text), and prints the program's CPU time (user + system, from
# /proc) per key once its CPU has settled. A figure is 10-25 clock ticks: take several runs.
# tools/key_floor.cpp builds the least a Qt widget program does per key, as a floor to compare with.
set -uo pipefail
[ $# -ge 3 ] || { echo "usage: $0 NAME FILE COMMAND [ARGS...]" >&2; exit 2; }
name=$1; file=$2; shift 2
display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
home=$(mktemp -d)
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_STATE_HOME=$home/.state XDG_DATA_HOME=$home/.data
sleep 0.5
"$@" "$file" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" "$xvfb" 2>/dev/null; rm -rf "$home"' EXIT
. "$(dirname "$0")/measure_common.sh"
base=$(basename "$file")
wid=
for _ in $(seq 600); do
  wid=$(xdotool search --pid "$pid" --onlyvisible --name "$base" 2>/dev/null | head -1)
  [ -n "$wid" ] && break
  sleep 0.05
done
[ -n "$wid" ] || { echo "$name: no window named after $base" >&2; exit 1; }
sleep 2; settle "$(now)" >/dev/null
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
xdotool windowsize --sync "$wid" 800 700
sleep 1; settle "$(now)" >/dev/null
per_key() {
  settle "$(now)" >/dev/null
  local c0; c0=$(ticks)
  xdotool type --window "$wid" --delay 15 "$(printf 'a%.0s' $(seq 200))"
  settle "$(now)" >/dev/null
  echo "$name $1: $(echo "($(ticks) - $c0) * 1000 / $hz / 200" | bc -l | awk '{printf "%.2f", $1}') ms CPU per key"
}
xdotool key --window "$wid" ctrl+End
per_key "at the end"
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove --window "$wid" $((WIDTH - 10)) $((HEIGHT / 2)) click 2 mousemove --window "$wid" 300 300 click 1
per_key "in the middle"
