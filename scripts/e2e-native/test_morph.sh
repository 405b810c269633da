#!/usr/bin/env bash
# The handles morph the panel through all three styles: full to compact,
# compact to mini, and back. Each style saves itself, and the panels a morph
# leaves behind look exactly like the ones the headless back end paints at
# start-up.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
morph_through_styles "$id"
