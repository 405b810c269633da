#!/usr/bin/env bash
# The close question "Power-off Message" with Yes, No and Cancel: Escape
# (Cancel) keeps the panel, and its clock is right at once after the box.
# The simulated card plays through the program's own sound, so Return (Yes)
# retunes with sound, saves and closes the window while the program plays
# on, answering the remote; "orvanta-remote show" brings the panel back and
# "orvanta-remote quit" ends it. No mutes and ends. Without any sound output
# Yes ends, as for a card that sounds by itself. The end of the session
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
wait_until 10 box_gone Orvanta || fail "Yes: the panel window did not close"
transfer_is "T 3988 85" || fail "Yes: last transfer '$(last_transfer)', expected the preset with sound"
wait_until 5 setting_is ALARM 0 && setting_is X 150 || fail "the close did not save the settings"
sleep 0.5
panel_running || fail "Yes ended the program, though it makes the sound itself"
grep -q "playing on without the panel" "$TEST_DIR/panel.log" || fail "standard error does not say it plays on"
before=$(transfers)
"$REMOTE" volume up && "$REMOTE" mute on || fail "orvanta-remote failed without the panel"
wait_until 5 transfer_is "T 3988 25" || fail "mute on without the panel: last transfer '$(last_transfer)'"
[ "$(transfers)" -gt "$before" ] || fail "no transfer for the remote without the panel"
"$REMOTE" mute off
wait_until 5 transfer_is "T 3988 85" || fail "mute off without the panel: last transfer '$(last_transfer)'"
note "Yes: retuned with sound, saved, window closed, plays on and answers the remote"

"$REMOTE" show || fail "orvanta-remote show failed"
id=$(panel_window 10) || fail "show: no panel window"
xdotool key --window "$id" q
answer_box "Power-off Message" Return || fail "the question did not show after show"
wait_until 10 box_gone Orvanta || fail "Yes again: the panel window did not close"
"$REMOTE" quit || fail "orvanta-remote quit failed"
wait_until 10 panel_ended || fail "quit did not end the program"
note "show: the panel back; Yes again, then quit: ended"
stop_all

start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
sleep 0.5
xdotool key --window "$id" q
box=$(wait_window "Power-off Message" 20) || fail "third question did not show"
window_geometry "$box"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT - 28)) click 1  # the middle button, No
wait_until 5 box_gone "Power-off Message" || fail "a click on No did not close the question"
wait_until 10 panel_ended || fail "No did not end the program"
transfer_is "T 3988 25" || fail "No: last transfer '$(last_transfer)', expected the preset muted"
note "No: muted ($(last_transfer)) and ended"

SDL_AUDIODRIVER=none-such start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
sleep 0.5
grep -q "no sound" "$TEST_DIR/panel.log" || fail "without sound output standard error says nothing: $(cat "$TEST_DIR/panel.log")"
xdotool key --window "$id" q
answer_box "Power-off Message" Return || fail "the question did not show without sound output"
wait_until 10 panel_ended || fail "Yes without sound output did not end the program"
note "no sound output: $(grep -m 1 'no sound' "$TEST_DIR/panel.log"); Yes ended"

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
