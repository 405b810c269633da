#!/usr/bin/env bash
# A text.dat cut short inside its pixel rows: one box "Error loading Data
# File 1" (the file itself opens), then the program ends.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
head -c 20000 "$ORVANTA_BUILD/text.dat" > "$APP_DIR/text.dat"
WINEDEBUG=-all,+msgbox start_panel
dismiss_error_box || fail "no box titled Error, or it did not close"
wait_until 30 eval '! panel_running' || fail "the program still runs after the box"

texts=$(sed -n 's/.*msgbox:MSGBOX_OnInit L"\(.*\)"\r*$/\1/p' "$TEST_DIR/wine.log")
note "boxes: $(echo "$texts" | tr '\n' '|')"
[ "$texts" = "Error loading Data File 1" ] || fail "boxes were '$(echo "$texts" | tr '\n' '|')'"
