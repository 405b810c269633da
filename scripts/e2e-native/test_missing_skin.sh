#!/usr/bin/env bash
# Without text.dat beside the program (and none installed): two boxes titled
# "Error" ("Can't open data file 1", then "Error loading Data File 1"); the
# program ends once they are dismissed, without tuning the card.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
rm -f "$APP_DIR/text.dat"
start_panel
answer_box Error Return || fail "first box titled Error did not show or close"
answer_box Error Return || fail "second box titled Error did not show or close"
wait_until 10 panel_ended || fail "the program still runs after both boxes"
note "two error boxes, then the program ended"
