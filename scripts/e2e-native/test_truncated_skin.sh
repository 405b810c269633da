#!/usr/bin/env bash
# A text.dat cut short inside its pixel rows: one box titled "Error", then
# the program ends.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
head -c 20000 "$ORVANTA_NATIVE/text.dat" > "$APP_DIR/text.dat"
start_panel
answer_box Error Return || fail "no box titled Error, or it did not close"
wait_until 10 panel_ended || fail "the program still runs after the box"
find_window Error >/dev/null && fail "a second box showed"
note "one error box, then the program ended"
