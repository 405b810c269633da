#!/usr/bin/env bash
# A preset of 98.1 MHz (the float 98.0999985) tunes the card to 98.100 MHz,
# the frequency the readout shows: divider 4352, and the simulated station
# at 98.1 lights the "TUNED" lamp.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
printf '[RadioStation]\r\nStation3=98.100000\r\n' >> "$INI"
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
wait_until 20 transfer_is "T 3988 85" || fail "no start-up transfer in the trace"
sleep 1  # the first paint's wipe

window_geometry "$id"
xdotool mousemove $((X + 250)) $((Y + 25)) click 1  # preset key 3
wait_until 10 transfer_is "T 4352 85" || fail "preset 98.1: last transfer '$(last_transfer)', expected 'T 4352 85'"
note "preset 98.1: $(last_transfer)"

# The lamp at (44, 22), 29 x 10, shows the skin's lit look at (360, 220).
convert "bmp:$ORVANTA_BUILD/text.dat" -crop 29x10+360+220 +repage "$TEST_DIR/lit.png"
lamp_lit() {
  window_shot "$id" "$TEST_DIR/panel.png" || return 1
  convert "$TEST_DIR/panel.png" -crop 29x10+44+22 +repage "$TEST_DIR/lamp.png"
  [ "$(differing "$TEST_DIR/lamp.png" "$TEST_DIR/lit.png")" = 0 ]
}
wait_until 10 lamp_lit || fail "the TUNED lamp is not lit (differing pixels: $(differing "$TEST_DIR/lamp.png" "$TEST_DIR/lit.png"))"
note "TUNED lamp lit"
panel_running || fail "the program ended"
