#!/usr/bin/env bash
# [Window] SCALE=2: the window is twice the panel's size and equals the
# headless drawing enlarged pixel for pixel (StretchBlt in whole blocks), in
# the full panel and after morphs to the compact and mini panels; a press at
# twice preset key 3's place tunes preset 3 (98.1 MHz) and lights TUNED.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
SHOT_SCALE=2

new_prefix
printf '[Window]\r\nSCALE=2\r\n' >> "$INI"
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
wait_until 20 size_is "$id" 734 264 || fail "SCALE=2: window is ${WIDTH}x${HEIGHT}, not 734x264"
shot=$(stable_shot "$id" start) || fail "screenshot failed"
same_as_render "$shot" start
morph_through_styles "$id"

printf '[RadioStation]\r\nStation3=98.100000\r\n' >> "$INI"  # read when the panel starts again
stop_panel
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta after a restart"
wait_until 20 size_is "$id" 734 264 || fail "restarted: window is ${WIDTH}x${HEIGHT}, not 734x264"
wait_until 20 transfer_is "T 3988 85" || fail "no start-up transfer in the trace"
sleep 1  # the first paint's wipe
window_geometry "$id"
xdotool mousemove $((X + 2 * 250)) $((Y + 2 * 25)) click 1  # preset key 3
wait_until 10 transfer_is "T 4352 85" || fail "press at (500, 50): last transfer '$(last_transfer)', expected 'T 4352 85'"
note "press at (500, 50): $(last_transfer)"
# The lamp at (44, 22), 29 x 10 panel pixels, shows the skin's lit look at (360, 220), enlarged.
convert "bmp:$ORVANTA_BUILD/text.dat" -crop 29x10+360+220 +repage -scale 200% "$TEST_DIR/lit.png"
lamp_lit() {
  window_shot "$id" "$TEST_DIR/panel.png" || return 1
  convert "$TEST_DIR/panel.png" -crop "$(scaled_geometry 29x10+44+22)" +repage "$TEST_DIR/lamp.png"
  [ "$(differing "$TEST_DIR/lamp.png" "$TEST_DIR/lit.png")" = 0 ]
}
wait_until 10 lamp_lit || fail "the TUNED lamp is not lit (differing pixels: $(differing "$TEST_DIR/lamp.png" "$TEST_DIR/lit.png"))"
note "TUNED lamp lit"

# A drag from a point no region takes, by (61, 41) screen pixels: the window
# moves by whole panel pixels, (60, 40), and keeps its size.
window_geometry "$id"
x0=$X y0=$Y px=$((X + 2 * 360)) py=$((Y + 2 * 120))
xdotool mousemove --sync "$px" "$py" mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove "$((px + 12 * step + 1))" "$((py + 8 * step + 1))"
  sleep 0.1
done
sleep 0.3
xdotool mouseup 1
moved() { window_geometry "$id"; [ "$X,$Y" = "$((x0 + 60)),$((y0 + 40))" ]; }
wait_until 10 moved || fail "after a drag by (61, 41) the window is at ($X, $Y), not ($((x0 + 60)), $((y0 + 40)))"
[ "$WIDTH" = 734 ] && [ "$HEIGHT" = 264 ] || fail "the drag changed the size to $WIDTH x $HEIGHT"
note "drag by (61, 41): window at ($X, $Y), ${WIDTH}x${HEIGHT}"
panel_running || fail "the program ended"
