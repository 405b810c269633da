#!/usr/bin/env bash
# Start-up: the card is tuned once to preset 1 at its default 89.0 MHz
# (divider 3988, control byte 85 with sound); the borderless window
# "Orvanta" shows 367 x 132 at the default position (150, 100) with the
# skin's icon; the settings folder is made only at the first write.
# Without a display the program ends with a message.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
rm -rf "$XDG_CONFIG_HOME/orvanta"  # no settings at all: the simulated card without a trace
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
window_geometry "$id"
note "window at ($X, $Y), $WIDTH x $HEIGHT"
[ "$WIDTH" = 367 ] && [ "$HEIGHT" = 132 ] || fail "window is $WIDTH x $HEIGHT, expected 367 x 132"
[ "$X" = 150 ] && [ "$Y" = 100 ] || fail "window at ($X, $Y), expected (150, 100)"
icon=$(xprop -id "$id" _NET_WM_ICON | head -c 60)
[[ "$icon" == *"Icon (32 x 32)"* ]] || fail "no 32 x 32 window icon: '$icon'"
[ ! -e "$XDG_CONFIG_HOME/orvanta" ] || fail "the settings folder was made although nothing was written"
wait_until 5 test -S "$SOCKET" || fail "no remote-control socket at $SOCKET"
[ "$(stat -c %a "$SOCKET")" = 600 ] || fail "socket mode $(stat -c %a "$SOCKET"), expected 600"
panel_running || fail "the program ended"
stop_all

# With a trace: one transfer at start-up.
new_test
start_panel
panel_window >/dev/null || fail "no window named Orvanta within 30 s"
wait_until 10 transfer_is "T 3988 85" || fail "first transfer '$(last_transfer)', expected 'T 3988 85'"
sleep 0.5
[ "$(transfers)" = 1 ] || fail "start-up tuned $(transfers) times"
note "first transfer: $(last_transfer)"
stop_all

# No display that answers (none named, or one that is not there): the program
# says so and ends at once, touching no settings and no card; it never runs
# on without a window (SDL would fall back to a driver that shows none).
for display in "" ":$((RANDOM % 100 + 400))"; do
  new_test
  before=$(cat "$INI")
  start=$SECONDS
  DISPLAY=$display "$APP_DIR/orvanta" > "$TEST_DIR/panel.log" 2>&1
  rc=$?
  [ "$rc" = 1 ] || fail "DISPLAY='$display': exit status $rc, expected 1"
  [ $((SECONDS - start)) -le 10 ] || fail "DISPLAY='$display': took $((SECONDS - start)) s to give up"
  grep -q '^orvanta: no display to show the panel on' "$TEST_DIR/panel.log" || fail "DISPLAY='$display': no message; output: $(cat "$TEST_DIR/panel.log")"
  [ "$(cat "$INI")" = "$before" ] || fail "DISPLAY='$display': the settings changed"
  [ ! -e "$TRACE" ] || fail "DISPLAY='$display': the card was driven"
  note "DISPLAY='$display': $(grep -m 1 '^orvanta: no display' "$TEST_DIR/panel.log")"
done
