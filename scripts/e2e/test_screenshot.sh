#!/usr/bin/env bash
# The window as Wine shows it equals, pixel for pixel, what the headless back
# end draws for the same settings (orvanta_render), clock cells masked.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
shot=$(stable_shot "$id" start) || fail "screenshot failed"
same_as_render "$shot" start
