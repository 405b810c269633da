#!/usr/bin/env bash
# The handles morph the panel: full to compact, compact to mini, and back.
# Each style saves itself, and the compact and full panels a morph leaves
# behind look exactly like the ones the headless back end paints at start-up.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
morph_through_styles "$id"
