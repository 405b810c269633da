#!/usr/bin/env bash
# A drag on the panel background moves the window by the drag distance, the
# window following the pointer on the way; the press lands at (360, 120), a
# point that no hit region takes. Clicking the frequency display minimises
# the panel with the frequency as its title. The end of the session (SIGTERM)
# saves what closing saves, without asking, and ends the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
sleep 0.5  # the first paint's wipe
window_geometry "$id"
x0=$X y0=$Y

px=$((x0 + 360)) py=$((y0 + 120))
xdotool mousemove --sync "$px" "$py" mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove "$((px + 10 * step))" "$((py + 7 * step))"
  sleep 0.1
done
# The button is still down: the window follows the pointer (on a busy
# machine it may take a moment to catch up).
under_pointer() {
  window_geometry "$id"
  [ "$X,$Y" = "$((x0 + 60)),$((y0 + 42))" ]
}
wait_until 5 under_pointer || fail "during the drag the window is at ($X, $Y), not under the pointer"
note "during the drag the window is at ($X, $Y)"
xdotool mousemove "$((px + 80))" "$((py + 50))"
sleep 0.2
xdotool mouseup 1

moved() {
  window_geometry "$id"
  [ "$X" = $((x0 + 80)) ] && [ "$Y" = $((y0 + 50)) ]
}
wait_until 5 moved || fail "window at ($X, $Y) after the drag, expected ($((x0 + 80)), $((y0 + 50)))"
note "window at ($X, $Y) after a drag by (80, 50)"
[ "$WIDTH" = 367 ] && [ "$HEIGHT" = 132 ] || fail "the drag changed the size to $WIDTH x $HEIGHT"

xdotool mousemove --sync $((X + 50)) $((Y + 60)) click 1  # the frequency display
title_is() { [ "$(xdotool getwindowname "$id")" = "$1" ]; }
wait_until 5 title_is "89.0" || fail "title after minimising is '$(xdotool getwindowname "$id")', expected 89.0"
note "minimised with the title $(xdotool getwindowname "$id")"
panel_running || fail "the program ended"

kill -TERM "$PANEL_PID"
wait_until 5 panel_ended || fail "SIGTERM did not end the program"
[ "$(setting X),$(setting Y)" = "$((x0 + 80)),$((y0 + 50))" ] || fail "session end saved ($(setting X), $(setting Y))"
setting_is ALARM 0 || fail "session end did not save the alarm record"
note "session end: saved the position ($(setting X), $(setting Y)) and ended"
