#!/usr/bin/env bash
# The player controls where they cannot be had or cannot do all: with no
# session bus the panel works as ever and says so once on standard error;
# where the program makes no sound of its own (no sound output here) it
# cannot play on without its panel, so CanQuit is false and Quit is refused.
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
