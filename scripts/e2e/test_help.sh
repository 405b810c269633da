#!/usr/bin/env bash
# The help key opens the manual: H starts Wine's help viewer on orvanta.hlp,
# its window is titled "Orvanta Help" and shows the contents topic, no error
# box appears, and a click on a jump of the contents page shows that topic.
# The viewer's trace channel tells which topic it shows and the text it lays
# out; screenshots tell that the page changed. Closing the panel closes the
# viewer. Without the help file, H shows one message box naming it.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

repo=$(cd "$(dirname "$0")/../.." && pwd)
manual=$repo/doc/manual.md
title=$(grep -m 1 '^# ' "$manual" | sed 's/^# //')
[ -f "$ORVANTA_BUILD/orvanta.hlp" ] || fail "$ORVANTA_BUILD/orvanta.hlp is missing"

# Names of the visible top-level windows, one a line.
visible_windows() {
  xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r w; do
    xdotool getwindowname "$w" 2>/dev/null
  done
}
help_window() {
  xdotool search --onlyvisible --name "^$title" 2>/dev/null | head -n 1
}
# The first paragraph the viewer laid out after line $1 of its trace: the
# topic's title line.
first_text_after() {
  tail -n +"$1" "$TEST_DIR/wine.log" | sed -n 's/.*HLPFILE_BrowseParagraph Got text: "\(..*\)" (.*/\1/p' | head -n 1
}
log_lines() {
  wc -l < "$TEST_DIR/wine.log"
}
shows_topic() {  # shows_topic FROM_LINE TITLE
  [ "$(first_text_after "$1")" = "$2" ]
}

new_prefix
cp "$ORVANTA_BUILD/orvanta.hlp" "$APP_DIR/"
printf '[System]\r\nQuit=0\r\n' >> "$INI"
export WINEDEBUG=trace+winhelp  # the help viewer names the topics and text it shows
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
sleep 1
xdotool windowfocus "$id" 2>/dev/null || true
from=$(log_lines)
xdotool key --window "$id" h
wait_until 30 help_window >/dev/null || fail "no window titled '$title...' within 30 s after H; windows: $(visible_windows | tr '\n' '|')"
help=$(help_window)
note "help window: '$(xdotool getwindowname "$help")'"
wait_until 15 shows_topic "$from" "$title" || fail "the viewer did not show the contents topic '$title' (first text: '$(first_text_after "$from")')"
others=$(visible_windows | grep -v -x -e Orvanta -e "$title.*" || true)
[ -z "$others" ] || fail "unexpected windows beside the panel and the help: $others"
note "contents topic shown; no other window"

# The jumps are green: shoot the window until they show (the first paint
# may come late), then click the last green line of the contents page, the
# last entry of its list of topics.
jumps_shown() {
  window_shot "$help" "$TEST_DIR/contents.png" || return 1
  convert "$TEST_DIR/contents.png" -fill black +opaque 'rgb(0,128,0)' -fill white -opaque 'rgb(0,128,0)' \
    -format '%@' info: > "$TEST_DIR/green.txt" 2>/dev/null || return 1
  read -r gw gh gx gy < <(tr 'x+' '   ' < "$TEST_DIR/green.txt")
  [ -n "${gy:-}" ] && [ "${gh:-0}" -gt 1 ]
}
wait_until 20 jumps_shown || fail "no green jump on the contents page"
sleep 1
jumps_shown || fail "the contents page changed"
window_geometry "$help"
last_title=$(grep '^## ' "$manual" | tail -n 1 | sed -e 's/^## //' -e 's/ *{#.*}$//')
from=$(log_lines)
xdotool mousemove $((X + gx + 4)) $((Y + gy + gh - 5)) click 1
wait_until 15 shows_topic "$from" "$last_title" || fail "after the click the viewer shows '$(first_text_after "$from")', expected '$last_title'"
sleep 1
window_shot "$help" "$TEST_DIR/topic.png" || fail "no screenshot after the jump"
changed=$(differing "$TEST_DIR/contents.png" "$TEST_DIR/topic.png")
[ "$changed" != 0 ] || fail "the help window did not change after the jump"
note "jump to '$last_title': $changed pixels changed"
if [ -n "${HELP_SHOTS:-}" ]; then mkdir -p "$HELP_SHOTS" && cp "$TEST_DIR/contents.png" "$TEST_DIR/topic.png" "$HELP_SHOTS/"; fi

# The power key closes the panel, and the panel closes the viewer it opened.
xdotool windowraise "$id" 2>/dev/null || true  # the viewer opened over the panel
sleep 0.5
window_geometry "$id"
xdotool mousemove $((X + 340)) $((Y + 28)) click 1
wait_until 20 bash -c "! kill -0 $PANEL_PID 2>/dev/null" || fail "the power key did not end the program; windows: $(visible_windows | tr "\n" "|")"
wait_until 15 bash -c "[ -z \"\$(xdotool search --onlyvisible --name '^$title' 2>/dev/null)\" ]" || fail "the help window stayed open after the panel closed"
note "closing the panel closed the help window"
stop_panel

# Without the help file: one plain box naming it, and the panel goes on.
rm -f "$APP_DIR/orvanta.hlp"
export WINEDEBUG=-all
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s (second start)"
sleep 1
xdotool windowfocus "$id" 2>/dev/null || true
xdotool key --window "$id" h
box=$(wait_window "$title" 20) || fail "no message box after H without the help file; windows: $(visible_windows | tr '\n' '|')"
[ "$(xdotool search --onlyvisible --name "^$title\$" | wc -l)" = 1 ] || fail "more than one box"
xdotool windowfocus "$box" 2>/dev/null || true
sleep 0.3
xdotool key --clearmodifiers Return
wait_until 10 bash -c "[ -z \"\$(xdotool search --onlyvisible --name '^$title\$' 2>/dev/null)\" ]" || fail "the message box did not close"
panel_running || fail "the panel ended after the missing-help message"
note "missing help file: one box, the panel runs on"
