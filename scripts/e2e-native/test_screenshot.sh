#!/usr/bin/env bash
# The window shows, pixel for pixel, what the headless back end draws for the
# same settings (orvanta_render), clock cells masked; also for a saved
# compact style, which the first paint adapts the window to.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
shot=$(stable_shot "$id" start) || fail "screenshot failed"
same_as_render "$shot" start
stop_all

new_test
printf '[SYSTEM]\nSTYLE=1\n' >> "$INI"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 size_is "$id" 367 82 || fail "saved compact style: window is ${WIDTH}x${HEIGHT}"
shot=$(stable_shot "$id" compact) || fail "screenshot failed"
same_as_render "$shot" compact
