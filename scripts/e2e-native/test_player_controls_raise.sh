#!/usr/bin/env bash
# The desktop's Raise under a window manager (openbox on a display of this
# test's own; a bare Xvfb minimises nothing): a minimised panel is mapped
# again, and a panel closed while the radio plays on comes back; the player
# stays on the bus while the program plays without its panel.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$ORVANTA_SOURCE/scripts/xvfb.sh"

bus_name=org.mpris.MediaPlayer2.orvanta
raise() { busctl --user call "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2 Raise; }
map_state() { xwininfo -id "$1" 2>/dev/null | awk -F': ' '/Map State/ { print $2 }'; }
map_state_is() { [ "$(map_state "$1")" = "$2" ]; }
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# own_display_with_openbox: a display of this test's own with openbox on it.
# Other test runs on this machine start displays too: where one took the
# display number first, our Xvfb has ended and the next free number is tried.
own_display_with_openbox() {
  local try
  for try in 1 2 3; do
    start_xvfb 300 340 "$TEST_DIR/xvfb.log" || return 1
    EXTRA_PIDS+=("$xvfb_pid")
    sleep 0.3
    kill -0 "$xvfb_pid" 2>/dev/null || continue
    openbox --sm-disable > "$TEST_DIR/openbox.log" 2>&1 &
    EXTRA_PIDS+=($!)
    wait_until 10 managed && kill -0 "$xvfb_pid" 2>/dev/null && return 0
  done
  return 1
}

new_test
own_display_with_openbox || fail "no display with openbox: $(cat "$TEST_DIR/openbox.log" "$TEST_DIR/xvfb.log" 2>/dev/null)"
start_session_bus || fail "no private session bus"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 player_is status Playing || fail "playerctl status: '$(player status 2>&1)'"
wait_until 5 map_state_is "$id" IsViewable || fail "the panel is not viewable at start: $(map_state "$id")"

xdotool windowminimize "$id"
wait_until 5 map_state_is "$id" IsUnMapped || fail "xdotool windowminimize: the panel is $(map_state "$id")"
raise || fail "Raise exited $?"
wait_until 5 map_state_is "$id" IsViewable || fail "Raise: the minimised panel is $(map_state "$id")"
note "minimised: IsUnMapped; Raise: IsViewable"

# Closed with Yes to "music in the background": the player stays, Raise brings the panel back.
xdotool key --window "$id" q
answer_box "Power-off Message" Return || fail "the close question did not show or close"
wait_until 10 grep -q "playing on without the panel" "$TEST_DIR/panel.log" || fail "the panel did not close to the background"
wait_until 5 box_gone Orvanta || fail "the panel window is still there"
player_is status Playing || fail "without the panel: status '$(player status 2>&1)'"
player pause
player_is status Paused || fail "pause without the panel: status '$(player status 2>&1)'"
player play
raise || fail "Raise without the panel exited $?"
id=$(panel_window 20) || fail "Raise did not bring the panel back"
wait_until 5 map_state_is "$id" IsViewable || fail "the panel came back $(map_state "$id")"
player_is status Playing || fail "the panel back: status '$(player status 2>&1)'"
note "closed to the background: pause and play answered; Raise: the panel is back, $(map_state "$id")"

busctl --user call "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2 Quit || fail "Quit exited $?"
wait_until 10 panel_ended || fail "Quit did not end the program"
