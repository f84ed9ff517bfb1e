#!/usr/bin/env bash
# Measures the real program as a user meets it, under Xvfb:
#   [VERTICAL=1] [ACTIONS=1] tools/measure_start.sh [FILE] [BUILD_DIR]
# FILE defaults to the 20 MB novel that bench_app_startup leaves in $TMPDIR.
# Always: seconds from launch to the first title naming the file, and to the title with
# the exact line count (全N行), and the peak resident memory.
# ACTIONS=1 then drives the window with xdotool and prints, per action, the CPU seconds
# the program spent, how long it stayed busy (from the action until its CPU time stops
# moving, in 10 ms steps) and the growth of its resident memory:
#   typing 200 characters at the end and in the middle (CPU per key), a resize from
#   800 to 600 pixels (and how long until the title's count is exact again), F12 and F11,
#   F7 and F8, a font change (the font dialog's size), select all then copy, and replace
#   all (every "e" by "E": about 100,000 in the generated novel).
# SAVE=1 instead opens a copy of FILE, types one character at its start, saves with Ctrl+S
# and prints the CPU seconds, the seconds until the new file is in place, how long the
# program stayed busy, the peak resident memory while saving above the memory before it,
# and whether the file is the original with that character in front (for a file without
# a byte-order mark).
# After the resize, F12, F11, F7, F8 and the font change it also prints how long the
# program took to answer the next event: a request for the clipboard's text, sent as soon
# as the action was by a helper started beforehand (tools/next_event_probe.py), which the
# program answers on its interface thread once it is free (the program owns the clipboard
# from a copy made before; "idle" is the same request with nothing going on).
set -euo pipefail
file=${1:-${TMPDIR:-/tmp}/verlo-novel-20mb.txt}
build=${2:-build}
[ -f "$file" ] || { echo "no file $file (run bench_app_startup once, or name a file)" >&2; exit 2; }
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
config=$(mktemp -d)
if [ "${SAVE:-0}" = 1 ]; then
  original=$file
  cp "$file" "$config/$(basename "$file")"
  file=$config/$(basename "$file")
fi
if [ "${VERTICAL:-0}" = 1 ]; then
  mkdir -p "$config/Tarnvel" && printf '[Window]\nVerHor=1\n' > "$config/Tarnvel/Verlo.ini"
fi
here=$(dirname "$0")
trap 'kill "$pid" "$xvfb" 2>/dev/null || true; rm -rf "$config"' EXIT
export DISPLAY=$display
sleep 0.5
. "$here/measure_common.sh"
title() { xdotool getwindowname "$wid" 2>/dev/null || true; }
rss() { awk '/VmRSS/ {print $2}' "/proc/$pid/status"; }  # KiB
# Seconds from $1 until the program hands over the clipboard's text, asked for now.
answer() {
  echo "$1" >&7
  local r; read -r r <&8; echo "$r"
}
# action NAME COMMAND...: runs the command against the window and reports.
# With PROBE=1 the next event is sent right after the command.
action() {
  local name=$1; shift
  settle "$(now)" >/dev/null
  local c0 m0 t0 busy next=""
  c0=$(ticks); m0=$(rss); t0=$(now)
  began=$t0  # for figures taken alongside (the exact title after the resize)
  "$@"
  [ "${PROBE:-0}" = 1 ] && next="  next event answered $(answer "$t0") s"
  busy=$(settle "$t0")
  printf '%-28s cpu %6.3f s  busy %5s s  memory %+5d MiB%s\n' "$name" \
    "$(echo "($(ticks) - $c0) / $hz" | bc -l)" "$busy" $(( ($(rss) - m0) / 1024 )) "$next"
}
start=$(now)
XDG_CONFIG_HOME=$config XDG_STATE_HOME=$config "$build/verlo" "$file" >/dev/null 2>&1 &
pid=$!
name=$(basename "$file")
until wid=$(xdotool search --pid "$pid" --name "Verlo - $name" 2>/dev/null | head -1) && [ -n "$wid" ]; do sleep 0.01; done
named=$(now)
until title | grep -q "全"; do sleep 0.01; done
exact=$(now)
sleep 0.5
peak=$(awk '/VmHWM/ {print $2 / 1024 " MiB"}' "/proc/$pid/status")
echo "launch to title: $(echo "$named - $start" | bc) s; to exact title: $(echo "$exact - $start" | bc) s; peak memory: $peak"
if [ "${SAVE:-0}" = 1 ]; then
  xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
  xdotool key --window "$wid" ctrl+Home && xdotool type --window "$wid" x
  settle "$(now)" >/dev/null
  echo 5 > "/proc/$pid/clear_refs"  # the peak starts again from here
  before=$(rss)
  inode=$(stat -c %i "$file")
  c0=$(ticks); t0=$(now)
  xdotool key --window "$wid" ctrl+s
  until [ "$(stat -c %i "$file" 2>/dev/null)" != "$inode" ]; do sleep 0.005; done  # renamed into place
  saved=$(now)
  busy=$(settle "$t0")
  high=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  same=$( (printf x; cat "$original") | cmp -s - "$file" && echo yes || echo no)
  printf 'save: cpu %.3f s  in place after %.3f s  busy %s s  peak while saving %+d MiB  bytes as expected: %s\n' \
    "$(echo "($(ticks) - $c0) / $hz" | bc -l)" "$(echo "$saved - $t0" | bc)" "$busy" $(( (high - before) / 1024 )) "$same"
  exit 0
fi
[ "${ACTIONS:-0}" = 1 ] || exit 0

type_keys() { xdotool type --window "$wid" --delay 15 "$(printf 'a%.0s' $(seq 200))"; }
per_key() {  # CPU milliseconds per typed key
  settle "$(now)" >/dev/null
  local c0; c0=$(ticks)
  type_keys
  settle "$(now)" >/dev/null
  echo "$1: $(echo "($(ticks) - $c0) * 1000 / $hz / 200" | bc -l | awk '{printf "%.2f", $1}') ms CPU per key"
}
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
xdotool windowsize --sync "$wid" 800 700
settle "$(now)" >/dev/null
xdotool key --window "$wid" ctrl+End
per_key "typing at the end"
# The middle: a middle click on the scroll bar jumps there, a click in the text puts the caret.
xdotool mousemove --window "$wid" 790 350 click 2 mousemove --window "$wid" 300 300 click 1
per_key "typing in the middle"
# One character selected and copied: the program owns the clipboard for the probe.
xdotool key --window "$wid" shift+Left ctrl+c
coproc PROBE_IO { python3 "$here/next_event_probe.py"; }
exec 7>&"${PROBE_IO[1]}" 8<&"${PROBE_IO[0]}"  # a coprocess's own descriptors are not seen by subshells
settle "$(now)" >/dev/null
answer "$(now)" >/dev/null  # the first request sets things up on both sides
echo "next event answered, idle: $(answer "$(now)") s"
PROBE=1
# The exact title after the resize is watched for alongside, not after the busy wait, and
# counted from the moment the resize is asked for (after the quiet wait that precedes
# every action).
before=$(title)
exact_at=$(mktemp)
(until t=$(title) && [ "$t" != "$before" ] && [[ "$t" == *全* ]]; do sleep 0.01; done; now > "$exact_at") &
watcher=$!
action "resize 800 -> 600" xdotool windowsize --sync "$wid" 600 700
wait "$watcher"
echo "resize to exact title: $(echo "$(cat "$exact_at") - $began" | bc | awk '{printf "%.3f", $1}') s"
rm -f "$exact_at"
action "F12" xdotool key --window "$wid" F12
action "F11" xdotool key --window "$wid" F11
action "F7" xdotool key --window "$wid" F7
action "F8" xdotool key --window "$wid" F8
# The font dialog (表示 > フォント), its size field, a new size; the action is Enter, sent to
# the focused window (the dialog), as the other actions a key: "xdotool click" itself takes
# about 0.1 s, which "next event answered" would count.
xdotool key --window "$wid" alt+v f
until dialog=$(xdotool search --pid "$pid" --onlyvisible --name "フォント|Font|font" 2>/dev/null | grep -v "^$wid\$" | head -1) && [ -n "$dialog" ]; do sleep 0.05; done
sleep 0.5
xdotool key --window "$dialog" alt+s ctrl+a && xdotool type --window "$dialog" 16
sleep 0.5
action "font change" xdotool key Return
PROBE=0
action "select all, copy" xdotool key --window "$wid" ctrl+a ctrl+c
# Replace all: 置換 (Ctrl+R), "e" by "E"; the action is the button's shortcut.
xdotool key --window "$wid" ctrl+Home ctrl+r
until dialog=$(xdotool search --pid "$pid" --onlyvisible --name "置換" 2>/dev/null | head -1) && [ -n "$dialog" ]; do sleep 0.05; done
sleep 0.5
xdotool type --window "$dialog" e && xdotool key --window "$dialog" alt+p && xdotool type --window "$dialog" E
sleep 0.5
action "replace all (e -> E)" xdotool key --window "$dialog" alt+a
