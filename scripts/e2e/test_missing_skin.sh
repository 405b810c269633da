#!/usr/bin/env bash
# Without text.dat: "Can't open data file 1", then "Error loading Data File 1",
# both titled "Error"; the program ends once they are dismissed. Wine's msgbox
# debug channel reports the text of every box as it opens.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
rm -f "$APP_DIR/text.dat"
WINEDEBUG=-all,+msgbox start_panel
dismiss_error_box || fail "first box titled Error did not show or close"
dismiss_error_box || fail "second box titled Error did not show or close"
wait_until 30 eval '! panel_running' || fail "the program still runs after both boxes"

texts=$(sed -n 's/.*msgbox:MSGBOX_OnInit L"\(.*\)"\r*$/\1/p' "$TEST_DIR/wine.log")
note "boxes: $(echo "$texts" | tr '\n' '|')"
expected=$'Can\'t open data file 1\nError loading Data File 1'
[ "$texts" = "$expected" ] || fail "boxes were '$(echo "$texts" | tr '\n' '|')'"
