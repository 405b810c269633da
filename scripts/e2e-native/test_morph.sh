#!/usr/bin/env bash
# The handles morph the panel through all three styles: full to compact,
# compact to mini, and back. Each style saves itself, and the panels a morph
# leaves behind look exactly like the ones the headless back end paints at
# start-up.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

saved_style() { setting STYLE; }

# click_and_settle NAME X Y WIDTH HEIGHT
click_and_settle() {
  local name=$1 x=$2 y=$3 w=$4 h=$5
  window_geometry "$id"
  xdotool mousemove --sync $((X + x)) $((Y + y)) click 1
  wait_until 20 size_is "$id" "$w" "$h" || fail "$name: window is ${WIDTH}x${HEIGHT}, not ${w}x${h}"
  shot=$(stable_shot "$id" "$name") || fail "$name: screenshot failed"
}

new_test
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
stable_shot "$id" start >/dev/null || fail "screenshot failed"

click_and_settle compact 5 60 367 82  # left handle
[ "$(saved_style)" = 1 ] || fail "STYLE is '$(saved_style)' after full to compact, not 1"
same_as_render "$shot" compact

click_and_settle mini 160 6 216 82  # top handle
[ "$(saved_style)" = 2 ] || fail "STYLE is '$(saved_style)' after compact to mini, not 2"
same_as_render "$shot" mini 176x82+0+0

click_and_settle back-to-compact 160 6 367 82
[ "$(saved_style)" = 1 ] || fail "STYLE is '$(saved_style)' after mini to compact, not 1"
same_as_render "$shot" back-to-compact

click_and_settle full 5 60 367 132
[ "$(saved_style)" = 0 ] || fail "STYLE is '$(saved_style)' after compact to full, not 0"
same_as_render "$shot" full
window_geometry "$id"
[ "$X,$Y" = "150,100" ] || fail "the morphs moved the window to ($X, $Y)"
