# Shared by the measuring scripts: the program's CPU time and waiting for it to settle.
# Source it after setting pid to the measured program's process id.
now() { date +%s.%N; }
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }  # user + system, clock ticks
hz=$(getconf CLK_TCK)
# Waits until the program's CPU time has not moved for 300 ms; prints the seconds from
# $1 to the last time it moved. A lone tick (the caret blinking) does not count as moving:
# it must move at least two ticks within 30 ms.
settle() {
  local t0=$1 moved t a b c
  a=$(ticks); b=$a; c=$a; moved=$(now)
  while :; do
    sleep 0.01
    t=$(ticks)
    if [ $((t - a)) -ge 2 ]; then moved=$(now)
    elif [ "$(echo "$(now) - $moved > 0.3" | bc)" = 1 ]; then break; fi
    a=$b; b=$c; c=$t
  done
  echo "$moved - $t0" | bc | awk '{printf "%.2f", ($1 < 0 ? 0 : $1)}'
}
