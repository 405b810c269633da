#!/usr/bin/env bash
# The help key (H) hands the manual's web page beside the program to the
# desktop's opener without waiting for it; without the page one box titled
# "Orvanta Help" says it is missing, and the panel goes on.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
cp "$ORVANTA_NATIVE/orvanta.html" "$APP_DIR/" || fail "no orvanta.html in the build"
mkdir -p "$TEST_DIR/bin"
printf '#!/bin/sh\necho $$ > "%s/opener.pid"\necho "$@" > "%s/opened"\nexec sleep 10\n' "$TEST_DIR" "$TEST_DIR" > "$TEST_DIR/bin/xdg-open"
chmod +x "$TEST_DIR/bin/xdg-open"
PATH=$TEST_DIR/bin:$PATH start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
sleep 0.5
xdotool key --window "$id" h
wait_until 5 test -s "$TEST_DIR/opened" || fail "H did not start the opener"
[ "$(cat "$TEST_DIR/opened")" = "$APP_DIR/orvanta.html" ] || fail "the opener got '$(cat "$TEST_DIR/opened")'"
xdotool key --window "$id" Right  # the opener still runs (10 s): the panel does not wait for it
wait_until 3 transfer_is "T 3989 85" || fail "the panel waited for the opener"
note "H: opened $(cat "$TEST_DIR/opened") and went on"

rm "$APP_DIR/orvanta.html"
xdotool key --window "$id" h
answer_box "Orvanta Help" Return || fail "no box 'Orvanta Help' for the missing page"
panel_running || fail "the program ended"
kill "$(cat "$TEST_DIR/opener.pid")" 2>/dev/null || true  # the fake opener, by its id
note "without the page: one box 'Orvanta Help', the panel goes on"
