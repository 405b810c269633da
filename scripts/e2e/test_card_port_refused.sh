#!/usr/bin/env bash
# "Card"/MODE=port where the system grants no port access (Wine has no port
# driver): the error box says so, and the program ends without writing any
# setting and without opening the simulated card's trace.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
printf '[Card]\r\nMODE=port\r\n' >> "$INI"
cp "$INI" "$TEST_DIR/ini.before"
start_panel
id=$(wait_window Error 60) || fail "no error box within 60 s"
text=$(xdotool getwindowname "$id")
note "box titled '$text'"
# The box's text is drawn by Wine; the title and the program's end are what X shows.
dismiss_error_box || fail "the error box did not close"
wait_until 20 bash -c "! kill -0 $PANEL_PID 2>/dev/null" || fail "the program did not end"
cmp -s "$INI" "$TEST_DIR/ini.before" || fail "the settings file changed: $(diff <(tr -d '\r' < "$TEST_DIR/ini.before") <(tr -d '\r' < "$INI"))"
[ ! -e "$TRACE" ] || fail "the simulated card's trace was created"
[ -z "$(find_window Orvanta)" ] || fail "the panel window is still there"
note "ended; settings unchanged; no trace"
