#!/usr/bin/env bash
# Keys, clicks and other programs reach the card: right arrow tunes one fine
# step up, M mutes (control byte 25), a click on preset key 5 selects it and
# saves "STATION", the remote-control messages (sent by orvanta_remote.exe)
# unmute, select a preset and pulse the volume, and Q with "Quit" = 0 saves
# the position and ends the program. orvanta_remote status prints what the
# panel shows; the keyboard's media keys (WM_APPCOMMAND) play, pause, step
# through the presets and pulse the volume.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

remote() {
  "$WINE_LOADER" "$ORVANTA_BUILD/orvanta_remote.exe" "$@" >> "$TEST_DIR/wine.log" 2>&1
}
writes() {  # the number of trace lines equal to $1
  tr -d '\r' < "$TRACE" | grep -c -x "$1"
}

volume_pulsed() {
  [ "$(writes "W 88")" -gt "$1" ]
}

new_prefix
printf '[System]\r\nQuit=0\r\n' >> "$INI"
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
wait_until 20 transfer_is "T 3988 85" || fail "no start-up transfer in the trace"
sleep 1  # the first paint's wipe
xdotool windowfocus "$id" 2>/dev/null || true

xdotool key --window "$id" Right
wait_until 10 transfer_is "T 3989 85" || fail "right arrow: last transfer '$(last_transfer)', expected 'T 3989 85'"
note "right arrow: $(last_transfer)"
xdotool key --window "$id" m
wait_until 10 transfer_is "T 3989 25" || fail "M: last transfer '$(last_transfer)', expected 'T 3989 25'"
note "M: $(last_transfer)"

window_geometry "$id"
xdotool mousemove $((X + 310)) $((Y + 28)) click 1  # preset key 5 (89.0 by default)
wait_until 10 transfer_is "T 3988 25" || fail "preset key 5: last transfer '$(last_transfer)'"
wait_until 5 setting_is STATION 5 || fail "STATION is '$(setting STATION)', expected 5"
note "preset key 5: $(last_transfer), STATION=$(setting STATION)"

[ -x "$ORVANTA_BUILD/orvanta_remote.exe" ] || fail "orvanta_remote.exe is missing"
status=$("$WINE_LOADER" "$ORVANTA_BUILD/orvanta_remote.exe" status 2>>"$TEST_DIR/wine.log" | tr -d '\r')
expected=$(printf 'frequency: 89.000\npreset: 5\nmuted: yes\nsignal: no\nstyle: full\ncard: the simulated card')
[ "$status" = "$expected" ] || fail "orvanta_remote status printed '$status'"
note "remote status: $(echo "$status" | tr '\n' ' ')"

media() {
  local answer
  answer=$("$WINE_LOADER" "$ORVANTA_BUILD/media_key.exe" "$1" 2>>"$TEST_DIR/wine.log" | tr -d '\r')
  [ "$answer" = taken ] || fail "media key $1: the panel answered '$answer'"
}
# The keys as the keyboard sends them (Wine makes WM_APPCOMMAND of them in
# the system's default processing), then the commands no keyboard here has.
xdotool windowfocus --sync "$id" 2>/dev/null || true
xdotool key XF86AudioPlay
wait_until 10 transfer_is "T 3988 85" || fail "play/pause key: last transfer '$(last_transfer)', expected sound on"
xdotool key XF86AudioNext
wait_until 10 setting_is STATION 6 || fail "next key: STATION is '$(setting STATION)', expected 6"
xdotool key XF86AudioPrev
wait_until 10 setting_is STATION 5 || fail "previous key: STATION is '$(setting STATION)', expected 5"
ups=$(writes "W 88")
xdotool key XF86AudioRaiseVolume
wait_until 10 volume_pulsed "$ups" || fail "volume-up key: no pulse of the volume-up line"
media pause
wait_until 10 transfer_is "T 3988 25" || fail "pause command: last transfer '$(last_transfer)', expected muted"
wait_until 5 setting_is MUTE 1 || fail "pause command: MUTE is '$(setting MUTE)'"
media pause  # paused already: nothing changes
media play
wait_until 10 transfer_is "T 3988 85" || fail "play command: last transfer '$(last_transfer)', expected sound on"
media stop
wait_until 10 transfer_is "T 3988 25" || fail "stop command: last transfer '$(last_transfer)', expected muted"
status=$("$WINE_LOADER" "$ORVANTA_BUILD/orvanta_remote.exe" status 2>>"$TEST_DIR/wine.log" | tr -d '\r' | tr '\n' ' ')
case $status in *"preset: 5 muted: yes"*) ;; *) fail "after the media keys status says '$status'" ;; esac
note "media keys: play/pause unmuted, next 6, previous 5, volume up pulsed; pause muted (MUTE=1), play, stop"
remote mute off || fail "orvanta_remote mute off failed"
wait_until 10 transfer_is "T 3988 85" || fail "remote mute off: last transfer '$(last_transfer)'"
transfers=$(tr -d '\r' < "$TRACE" | grep -c '^T ')
remote station 100 || fail "orvanta_remote station 100 failed"
remote station 7 || fail "orvanta_remote station 7 failed"
wait_until 10 setting_is STATION 7 || fail "remote station 7: STATION is '$(setting STATION)'"
[ "$(tr -d '\r' < "$TRACE" | grep -c '^T ')" = $((transfers + 1)) ] || fail "station 100 was not ignored"
ups=$(writes "W 88")
remote volume up || fail "orvanta_remote volume up failed"
wait_until 10 volume_pulsed "$ups" || fail "remote volume up: no pulse of the volume-up line"
note "remote: unmuted, station 100 ignored, station 7 selected, volume pulsed"

xdotool key --window "$id" q
wait_until 20 bash -c "! kill -0 $PANEL_PID 2>/dev/null" || fail "Q did not end the program"
[ "$(setting X)" = "$X" ] && [ "$(setting Y)" = "$Y" ] || fail "saved position ($(setting X), $(setting Y)), expected ($X, $Y)"
note "Q: ended, position ($(setting X), $(setting Y)) saved"
