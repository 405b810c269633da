#!/usr/bin/env bash
# Keys, clicks and other programs reach the card: right arrow tunes one fine
# step up, M mutes (control byte 25), keypad 3 selects preset 3, a click on
# preset key 5 selects it and saves "STATION"; orvanta-remote unmutes,
# ignores station 100, selects station 7 and pulses the volume, with the exit
# codes of the Windows remote; Q with "Quit" = 0 saves the position and ends.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

writes() { grep -c -x "$1" "$TRACE"; }
volume_pulsed() { [ "$(writes "W 88")" -gt "$1" ]; }

new_test
printf '[System]\nQuit=0\n' >> "$INI"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 transfer_is "T 3988 85" || fail "no start-up transfer in the trace"
sleep 0.5

xdotool key --window "$id" Right
wait_until 5 transfer_is "T 3989 85" || fail "right arrow: last transfer '$(last_transfer)', expected 'T 3989 85'"
xdotool key --window "$id" m
wait_until 5 transfer_is "T 3989 25" || fail "M: last transfer '$(last_transfer)', expected 'T 3989 25'"
xdotool key --window "$id" KP_3
wait_until 5 setting_is STATION 3 || fail "keypad 3: STATION is '$(setting STATION)'"
note "right arrow, M, keypad 3: $(last_transfer), STATION=$(setting STATION)"

window_geometry "$id"
xdotool mousemove --sync $((X + 310)) $((Y + 28)) click 1  # preset key 5 (89.0 by default)
wait_until 5 setting_is STATION 5 || fail "STATION is '$(setting STATION)', expected 5"
note "preset key 5: $(last_transfer), STATION=$(setting STATION)"

"$REMOTE" mute off || fail "orvanta-remote mute off exited $?"
wait_until 5 transfer_is "T 3988 85" || fail "remote mute off: last transfer '$(last_transfer)'"
before=$(transfers)
"$REMOTE" station 100 || fail "orvanta-remote station 100 exited $?"
"$REMOTE" station 7 || fail "orvanta-remote station 7 exited $?"
wait_until 5 setting_is STATION 7 || fail "remote station 7: STATION is '$(setting STATION)'"
[ "$(transfers)" = $((before + 1)) ] || fail "station 100 was not ignored"
ups=$(writes "W 88")
"$REMOTE" volume up || fail "orvanta-remote volume up exited $?"
wait_until 5 volume_pulsed "$ups" || fail "remote volume up: no pulse of the volume-up line"
note "remote: unmuted, station 100 ignored, station 7 selected, volume pulsed"

"$REMOTE" station 7x 2>/dev/null; [ $? = 2 ] || fail "orvanta-remote station 7x did not exit 2"
"$REMOTE" volume 2>/dev/null; [ $? = 2 ] || fail "orvanta-remote volume did not exit 2"
"$REMOTE" mute maybe 2>/dev/null; [ $? = 2 ] || fail "orvanta-remote mute maybe did not exit 2"

xdotool key --window "$id" q 2>/dev/null  # the window may be gone before the key comes up
wait_until 10 panel_ended || fail "Q did not end the program"
[ "$(setting X)" = "$X" ] && [ "$(setting Y)" = "$Y" ] || fail "saved position ($(setting X), $(setting Y)), expected ($X, $Y)"
[ ! -e "$SOCKET" ] || fail "the socket is left behind after the panel ended"
msg=$("$REMOTE" station 3 2>&1); rc=$?
[ "$rc" = 1 ] && [ "$msg" = "Orvanta is not running" ] || fail "remote without a panel: exit $rc, '$msg'"
note "Q: ended, position ($(setting X), $(setting Y)) saved; remote then says '$msg'"
