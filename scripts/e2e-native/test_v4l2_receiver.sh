#!/usr/bin/env bash
# The native program drives a Video4Linux2 receiver outside its own code: a
# fake device (an LD_PRELOAD library answering open and ioctl for one path)
# logs what it receives. Start-up names the card on standard error and tunes
# preset 1; a click on preset key 3 (98.1 MHz) tunes 1569600 x 62.5 Hz and
# lights the lamp, and the program reads the RDS blocks the device decodes
# there (the name and the accented text in the remote's status and on
# standard error); the seek button runs up to the next station the device hears
# (98.6 MHz); M mutes it; the volume rocker steps its volume.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

fake=$ORVANTA_NATIVE/libfake_radio.so
[ -f "$fake" ] || fail "$fake is missing (build the native preset)"
device=/dev/orvanta-fake-radio
received() { [ -f "$RADIO_LOG" ] && grep -q -x "$1" "$RADIO_LOG"; }
last_received() { [ -f "$RADIO_LOG" ] && grep "^$1 " "$RADIO_LOG" | tail -n 1; }
last_is() { [ "$(last_received "${1%% *}")" = "$1" ]; }
field() { "$REMOTE" status 2>/dev/null | awk -v k="$1" 'index($0, k ": ") == 1 { print substr($0, length(k) + 3); exit }'; }
field_is() { [ "$(field "$1")" = "$2" ]; }

new_test
RADIO_LOG=$TEST_DIR/radio.log
printf '[Card]\nMODE=v4l2\nDEVICE=%s\n[RadioStation]\nStation3=98.100000\n[System]\nQuit=0\n' "$device" >> "$INI"
LD_PRELOAD=$fake FAKE_RADIO_PATH=$device FAKE_RADIO_LOG=$RADIO_LOG FAKE_RADIO_STATIONS=98.1,98.6 FAKE_RADIO_RDS="98.1=FAKE FM" \
  "$APP_DIR/orvanta" > "$TEST_DIR/panel.log" 2>&1 &
PANEL_PID=$!
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 received "FREQ 1424000" || fail "start-up: the device did not get 89.0 MHz (1424000): $(tr '\n' ' ' < "$RADIO_LOG" 2>/dev/null)"
received "MUTE 0" || fail "start-up: the device was not unmuted"
grep -q "card: radio receiver $device" "$TEST_DIR/panel.log" || fail "standard error does not name the card: $(cat "$TEST_DIR/panel.log")"
note "start-up: FREQ 1424000, MUTE 0; $(grep -m 1 'card:' "$TEST_DIR/panel.log")"
sleep 0.5

window_geometry "$id"
xdotool mousemove --sync $((X + 250)) $((Y + 25)) click 1  # preset key 3
wait_until 5 last_is "FREQ 1569600" || fail "preset 98.1: last frequency '$(last_received FREQ)', expected 1569600"
wait_until 5 tuned_lamp_lit "$id" || fail "preset 98.1: the TUNED lamp is not lit"
wait_until 5 received "RDS 1569600" || fail "preset 98.1: the program read no RDS blocks from the device"
wait_until 5 field_is station "FAKE FM" || fail "preset 98.1: status station '$(field station)'"
wait_until 5 field_is text "Grüße von FAKE FM, Café" || fail "preset 98.1: status text '$(field text)'"
field_is pi F000 || fail "preset 98.1: status pi '$(field pi)'"
grep -q "^orvanta: station: FAKE FM" "$TEST_DIR/panel.log" || fail "standard error has no station line"
note "preset key 3: FREQ 1569600, lamp lit, RDS: $(field station)/$(field text)"

xdotool mousemove --sync $((X + 340)) $((Y + 92)) click 1  # seek up
wait_until 30 last_is "FREQ 1577600" || fail "seek up: last frequency '$(last_received FREQ)', expected 1577600 (98.6 MHz)"
steps=$(grep -c '^FREQ' "$RADIO_LOG")
sleep 1
[ "$(grep -c '^FREQ' "$RADIO_LOG")" = "$steps" ] || fail "the seek went on past 98.6 MHz: $(last_received FREQ)"
wait_until 5 tuned_lamp_lit "$id" || fail "seek: the TUNED lamp is not lit at 98.6"
[ -z "$(field station)" ] && [ -z "$(field pi)" ] || fail "98.6 sends no RDS, yet the status says $(field station) $(field pi)"
note "seek up: stopped at FREQ 1577600 after $((steps - 2)) steps, no station information there"

xdotool key --window "$id" m
wait_until 5 last_is "MUTE 1" || fail "M: the device was not muted"
xdotool mousemove --sync $((X + 155)) $((Y + 92)) click 1  # volume up
wait_until 5 last_is "VOLUME 9" || fail "volume up: last volume '$(last_received VOLUME)', expected 9"
note "M: MUTE 1; volume up: VOLUME 9"

xdotool key --window "$id" q 2>/dev/null
wait_until 10 panel_ended || fail "Q did not end the program"
