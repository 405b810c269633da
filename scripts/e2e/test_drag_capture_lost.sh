#!/usr/bin/env bash
# A drag whose mouse capture is taken away (the system's cancel-mode request,
# or a capture change) ends as a release would: the window moves to where the
# outline was, and the inverted outline is put back exactly, so that the
# screen outside the window is as it was before the drag.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

helper=$ORVANTA_BUILD/take_capture.exe
[ -x "$helper" ] || fail "$helper is missing"

for how in cancelmode capturechanged; do
  new_prefix
  start_panel
  id=$(wait_window Orvanta 60) || fail "$how: no window named Orvanta within 60 s"
  sleep 1.5  # the first paint's wipe
  window_geometry "$id"
  x0=$X y0=$Y w=$WIDTH h=$HEIGHT
  import -window root "$TEST_DIR/before.png"

  px=$((x0 + 360)) py=$((y0 + 120))
  xdotool mousemove --sync "$px" "$py" mousedown 1
  sleep 0.5  # the press is taken where it happened, before the pointer moves on
  for step in 1 2 3 4 5; do
    xdotool mousemove "$((px + 10 * step))" "$((py + 8 * step))"
    sleep 0.1
  done
  # The outline has reached its last place: its bottom edge, just below the
  # moved window and clear of the old one, is inverted (the bare screen is black).
  outline_there() {
    [ "$(import -window root -crop "1x1+$((x0 + 50 + w / 2))+$((y0 + 40 + h))" -format '%[fx:int(p{0,0}.r)]' info:)" = 1 ]
  }
  wait_until 10 outline_there || fail "$how: the drag outline is not at (+50, +40)"
  "$WINE_LOADER" "$helper" "$how" >> "$TEST_DIR/wine.log" 2>&1 || fail "$how: the helper failed"

  moved() {
    window_geometry "$id"
    [ "$X" = $((x0 + 50)) ] && [ "$Y" = $((y0 + 40)) ]
  }
  wait_until 10 moved || fail "$how: window at ($X, $Y), expected ($((x0 + 50)), $((y0 + 40)))"
  sleep 0.5
  import -window root "$TEST_DIR/after.png"
  xdotool mouseup 1
  # Outside the window's old and new places the screen is unchanged.
  for f in before after; do
    convert "$TEST_DIR/$f.png" -fill black \
      -draw "rectangle $x0,$y0 $((x0 + w - 1)),$((y0 + h - 1))" \
      -draw "rectangle $((x0 + 50)),$((y0 + 40)) $((x0 + 50 + w - 1)),$((y0 + 40 + h - 1))" \
      "$TEST_DIR/$f-masked.png"
  done
  diff=$(differing "$TEST_DIR/before-masked.png" "$TEST_DIR/after-masked.png")
  [ "$diff" = 0 ] || fail "$how: $diff screen pixels outside the window changed (an outline was left)"
  sleep 0.5
  window_geometry "$id"
  [ "$X" = $((x0 + 50)) ] && [ "$Y" = $((y0 + 40)) ] || fail "$how: the release after the lost capture moved the window to ($X, $Y)"
  panel_running || fail "$how: the program ended"
  note "$how: drag ended at ($X, $Y), no outline left"
  stop_panel
done
