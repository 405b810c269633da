#!/usr/bin/env bash
# A drag on the panel background moves the window by the drag distance. The
# press lands at (360, 120) of the full panel, a point that no hit region
# takes (below the bottom key row, right of everything).
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
sleep 1  # the first paint's wipe
window_geometry "$id"
x0=$X y0=$Y
note "window at ($x0, $y0)"

px=$((x0 + 360)) py=$((y0 + 120))
xdotool mousemove --sync "$px" "$py" mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove "$((px + 10 * step))" "$((py + 7 * step))"
  sleep 0.1
done
sleep 0.3
xdotool mouseup 1

moved() {
  window_geometry "$id"
  [ "$X" = $((x0 + 60)) ] && [ "$Y" = $((y0 + 42)) ]
}
wait_until 10 moved || fail "window at ($X, $Y) after the drag, expected ($((x0 + 60)), $((y0 + 42)))"
note "window at ($X, $Y) after a drag by (60, 42)"
[ "$WIDTH" = 367 ] && [ "$HEIGHT" = 132 ] || fail "the drag changed the size to $WIDTH x $HEIGHT"
panel_running || fail "the program ended"
