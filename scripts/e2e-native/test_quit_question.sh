#!/usr/bin/env bash
# The close question "Power-off Message" with Yes, No and Cancel: Escape
# (Cancel) keeps the panel, and its clock is right at once after the box;
# Return (Yes) retunes with sound, saves and ends. The end of the session
# while the question is open still ends the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 transfer_is "T 3988 85" || fail "no start-up transfer in the trace"
xdotool key --window "$id" m
wait_until 5 transfer_is "T 3988 25" || fail "M did not mute"

xdotool key --window "$id" q
answer_box "Power-off Message" Escape || fail "no box 'Power-off Message', or Escape did not close it"
sleep 0.3
panel_running || fail "Cancel ended the program"
# The whole panel, clock included, as the headless back end draws it now.
window_shot "$id" "$TEST_DIR/after-box.png"
tr -d '\r' < "$INI" | grep -v '^TRACE=' > "$TEST_DIR/now.ini"
"$ORVANTA_RENDER" --skin "$ORVANTA_NATIVE/text.dat" --settings "$TEST_DIR/now.ini" \
  --hour "$(date +%-H)" --minute "$(date +%-M)" --out "$TEST_DIR/now.ppm" || fail "orvanta_render failed"
convert "$TEST_DIR/after-box.png" -crop 44x10+28+34 +repage "$TEST_DIR/clock.png"
convert "$TEST_DIR/now.ppm" -crop 44x10+28+34 +repage "$TEST_DIR/clock-ref.png"
[ "$(differing "$TEST_DIR/clock.png" "$TEST_DIR/clock-ref.png")" = 0 ] || fail "the clock is not right after the box closed"
note "Cancel: the panel stays, its clock reads the time"

xdotool key --window "$id" q
answer_box "Power-off Message" Return || fail "second question did not show or close"
wait_until 10 panel_ended || fail "Yes did not end the program"
transfer_is "T 3988 85" || fail "Yes: last transfer '$(last_transfer)', expected the preset with sound"
setting_is ALARM 0 && setting_is X 150 || fail "the close did not save the settings"
note "Yes: retuned with sound ($(last_transfer)), saved, ended"
stop_all

start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
sleep 0.5
xdotool key --window "$id" q
wait_window "Power-off Message" 20 >/dev/null || fail "no question the third time"
kill -TERM "$PANEL_PID"
wait_until 8 panel_ended || fail "SIGTERM with the question open did not end the program"
wait_until 3 box_gone "Power-off Message" || fail "the question outlived the program"
wait_until 3 box_gone Orvanta || fail "the panel window outlived the program"
note "session end with the question open: the program ended"
