#!/usr/bin/env bash
# The player controls where they cannot be had or cannot do all: with no
# session bus the panel works as ever and says so once on standard error;
# where the program makes no sound of its own (no sound output here) it
# cannot play on without its panel, so CanQuit is false and Quit is refused;
# a receiver that steps its own volume (the fake V4L2 device) shows full
# volume, and setting it changes nothing while play and pause still work.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

bus_name=org.mpris.MediaPlayer2.orvanta
field() { "$REMOTE" status | awk -v k="$1" -F': ' '$1 == k { print $2; exit }'; }
field_is() { [ "$(field "$1")" = "$2" ]; }
said() { grep -c "^orvanta: no desktop player controls: " "$TEST_DIR/panel.log"; }

new_test
DBUS_SESSION_BUS_ADDRESS=unix:path=$TEST_DIR/no-bus start_panel
id=$(panel_window) || fail "no bus: no window named Orvanta within 30 s"
wait_until 5 grep -q "no desktop player controls" "$TEST_DIR/panel.log" || fail "no bus: standard error says nothing: $(cat "$TEST_DIR/panel.log")"
"$REMOTE" station 3 && wait_until 5 field_is preset 3 || fail "no bus: the remote's station 3 gave preset $(field preset)"
xdotool key --window "$id" m
wait_until 5 field_is muted yes || fail "no bus: M did not mute"
wait_until 5 mute_lamp_lit "$id" || fail "no bus: the MUTE lamp is not lit"
sleep 0.5
[ "$(said)" = 1 ] || fail "no bus: said $(said) times: $(cat "$TEST_DIR/panel.log")"
note "no bus: $(grep 'player controls' "$TEST_DIR/panel.log")"
stop_all

new_test
start_session_bus || fail "no private session bus"
SDL_AUDIODRIVER=none-such start_panel
id=$(panel_window) || fail "no sound output: no window named Orvanta within 30 s"
wait_until 10 player_is status Playing || fail "no sound output: playerctl status '$(player status 2>&1)'"
can_quit=$(busctl --user get-property "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2 CanQuit)
[ "$can_quit" = "b false" ] || fail "no sound output: CanQuit is $can_quit"
out=$(busctl --user call "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2 Quit 2>&1) && fail "Quit was taken: $out"
sleep 0.5
panel_running || fail "Quit ended a program that cannot play on without its panel"
player next
field_is preset 2 || fail "no sound output: next gave preset $(field preset)"
note "no sound output: CanQuit $can_quit; Quit: $out"
stop_all

new_test
start_session_bus || fail "no private session bus"
fake=$ORVANTA_NATIVE/libfake_radio.so
device=/dev/orvanta-fake-radio
RADIO_LOG=$TEST_DIR/radio.log
last_volume() { grep "^VOLUME " "$RADIO_LOG" 2>/dev/null | tail -n 1; }
printf '[Card]\nMODE=v4l2\nDEVICE=%s\n[Audio]\nCAPTURE=none\n' "$device" >> "$INI"
LD_PRELOAD=$fake FAKE_RADIO_PATH=$device FAKE_RADIO_LOG=$RADIO_LOG FAKE_RADIO_STATIONS=98.1 start_panel
id=$(panel_window) || fail "receiver: no window named Orvanta within 30 s"
wait_until 10 player_is status Playing || fail "receiver: playerctl status '$(player status 2>&1)'"
volume=$(busctl --user get-property "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player Volume)
[ "$volume" = "d 1" ] || fail "receiver: Volume is $volume"
before=$(last_volume)
busctl --user set-property "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player Volume d 0.1 ||
  fail "receiver: setting Volume failed"
sleep 0.5
[ "$(last_volume)" = "$before" ] && [ -z "$(field level)" ] || fail "receiver: Volume 0.1 gave '$(last_volume)', level '$(field level)'"
player pause
wait_until 5 grep -qx "MUTE 1" "$RADIO_LOG" || fail "receiver: pause did not mute the device"
[ "$(busctl --user get-property "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2 CanQuit)" = "b false" ] ||
  fail "receiver: CanQuit is not false"
note "receiver with its own volume: Volume $volume, set 0.1: device still '${before:-no VOLUME line}'; pause: MUTE 1"
