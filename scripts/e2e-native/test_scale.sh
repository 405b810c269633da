#!/usr/bin/env bash
# [Window] SCALE=2 draws the panel twice as large, each skin pixel a 2 x 2
# block: the window equals the headless drawing enlarged pixel for pixel in
# all three styles, and presses land at twice the panel's places (preset 3,
# the handles, the drag). Numbers past what fits the 1024 x 768 screen come
# down to what fits, and a saved corner near the right edge is pulled in.
# auto takes the X server's Xft.dpi resource, else the screen's DPI: 192
# gives twice the size.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
SHOT_SCALE=2

# start_scaled STYLE EXTRA: the panel at SCALE=2 in a saved style, Station3 at 98.1 MHz.
start_scaled() {
  new_test
  printf '[Window]\nSCALE=2\n[SYSTEM]\nSTYLE=%s\n[RadioStation]\nStation3=98.100000\n' "$1" >> "$INI"
  start_panel
  id=$(panel_window) || fail "no window named Orvanta within 30 s"
}

start_scaled 0
wait_until 10 size_is "$id" 734 264 || fail "SCALE=2: window is ${WIDTH}x${HEIGHT}, not 734x264"
shot=$(stable_shot "$id" full) || fail "screenshot failed"
same_as_render "$shot" full
# The handles at twice their places morph the panel through the styles.
morph_through_styles "$id"
window_geometry "$id"
xdotool mousemove --sync $((X + 2 * 250)) $((Y + 2 * 25)) click 1  # preset key 3
wait_until 10 transfer_is "T 4352 85" || fail "preset 3 at (500, 50): last transfer '$(last_transfer)', expected 'T 4352 85'"
wait_until 5 setting_is STATION 3 || fail "preset 3 at (500, 50): STATION is '$(setting STATION)'"
note "press at (500, 50): preset 3, $(last_transfer), STATION=$(setting STATION)"

# A drag from a point no region takes: the window follows the pointer screen
# pixel for screen pixel (rounded to the panel's pixels) and keeps its size.
window_geometry "$id"
x0=$X y0=$Y px=$((X + 2 * 360)) py=$((Y + 2 * 120))
xdotool mousemove --sync "$px" "$py" mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove "$((px + 10 * step))" "$((py + 6 * step))"
  sleep 0.1
done
under_pointer() { window_geometry "$id"; [ "$X,$Y" = "$((x0 + 50)),$((y0 + 30))" ]; }
wait_until 5 under_pointer || fail "during the drag the window is at ($X, $Y), not ($((x0 + 50)), $((y0 + 30)))"
xdotool mousemove "$((px + 81))" "$((py + 41))"
sleep 0.2
xdotool mouseup 1
moved() { window_geometry "$id"; [ "$X,$Y" = "$((x0 + 80)),$((y0 + 40))" ]; }
wait_until 5 moved || fail "after a drag by (81, 41) the window is at ($X, $Y), not ($((x0 + 80)), $((y0 + 40)))"
[ "$WIDTH" = 734 ] && [ "$HEIGHT" = 264 ] || fail "the drag changed the size to $WIDTH x $HEIGHT"
kill -TERM "$PANEL_PID"
wait_until 5 panel_ended || fail "SIGTERM did not end the program"
[ "$(setting X),$(setting Y)" = "$((x0 + 80)),$((y0 + 40))" ] || fail "saved ($(setting X), $(setting Y)), the window was at ($((x0 + 80)), $((y0 + 40)))"
note "drag by (81, 41): window at ($X, $Y), size kept, saved in screen pixels"
stop_all

start_scaled 1
wait_until 10 size_is "$id" 734 164 || fail "SCALE=2 compact: window is ${WIDTH}x${HEIGHT}, not 734x164"
shot=$(stable_shot "$id" compact) || fail "screenshot failed"
same_as_render "$shot" compact
stop_all

start_scaled 2
wait_until 10 size_is "$id" 434 164 || fail "SCALE=2 mini: window is ${WIDTH}x${HEIGHT}, not 434x164"
shot=$(stable_shot "$id" mini) || fail "screenshot failed"
same_as_render "$shot" mini
stop_all

# 5 is more than the screen holds (3 x 367 > 1024): the panel comes at 2.
# The corner saved at (600, 500) would leave 734 - 424 columns off the right
# edge, where the unscaled panel fitted: it moves left to end at the edge.
new_test
printf '[Window]\nSCALE=5\n[Position]\nX=600\nY=500\n' >> "$INI"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 size_is "$id" 734 264 || fail "SCALE=5: window is ${WIDTH}x${HEIGHT}, not 734x264"
window_geometry "$id"
[ "$X,$Y" = "290,500" ] || fail "SCALE=5 from (600, 500): window at ($X, $Y), not (290, 500)"
note "SCALE=5 on 1024 x 768: ${WIDTH}x${HEIGHT} at ($X, $Y)"
stop_all

# SCALE=0 means auto; with no Xft.dpi and Xvfb's 100 DPI that is 1.
new_test
printf '[Window]\nSCALE=0\n' >> "$INI"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 size_is "$id" 367 132 || fail "SCALE=0: window is ${WIDTH}x${HEIGHT}, not 367x132"
stop_all

# auto on an X server whose resources say Xft.dpi: 192.
new_test
. "$ORVANTA_SOURCE/scripts/xvfb.sh"
# -noreset: the resources stay when xrdb, the last client, disconnects.
start_xvfb 300 340 "$TEST_DIR/xvfb.log" -noreset || fail "could not start a second Xvfb"
EXTRA_PIDS+=("$xvfb_pid")
printf 'Xft.dpi:\t192\n' | x_connect_again xrdb -nocpp -merge || fail "xrdb -merge failed"
note "resources: $(x_connect_again xrdb -query | tr '\t\n' ' ')"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 size_is "$id" 734 264 || fail "auto with Xft.dpi 192: window is ${WIDTH}x${HEIGHT}, not 734x264"
note "auto with Xft.dpi 192: ${WIDTH}x${HEIGHT}"
stop_all

# auto without Xft.dpi on a screen of 192 DPI (Xvfb makes it 193 x 191 from
# whole millimetres).
new_test
start_xvfb 300 340 "$TEST_DIR/xvfb.log" -dpi 192 || fail "could not start a third Xvfb"
EXTRA_PIDS+=("$xvfb_pid")
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 size_is "$id" 734 264 || fail "auto at 192 DPI: window is ${WIDTH}x${HEIGHT}, not 734x264"
note "auto at $(xdpyinfo | awk '/resolution/ { print $2 }') DPI: ${WIDTH}x${HEIGHT}"
