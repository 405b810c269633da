#!/usr/bin/env bash
# Start-up: the card is tuned once to preset 1 at its default 89.0 MHz
# (divider 3988, control byte 85 with sound), and the panel window shows
# 367 x 132 at the default position (150, 100).
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
wait_until 20 first_transfer >/dev/null || fail "no transfer in the trace $TRACE"
line=$(first_transfer)
note "first transfer: $line"
[ "$line" = "T 3988 85" ] || fail "first transfer is '$line', expected 'T 3988 85'"
[ "$(grep -c '^T ' "$TRACE")" = 1 ] || fail "start-up tuned more than once: $(grep '^T ' "$TRACE" | tr '\n' ' ')"

window_geometry "$id"
note "window at ($X, $Y), $WIDTH x $HEIGHT"
[ "$WIDTH" = 367 ] && [ "$HEIGHT" = 132 ] || fail "window is $WIDTH x $HEIGHT, expected 367 x 132"
[ "$X" = 150 ] && [ "$Y" = 100 ] || fail "window at ($X, $Y), expected (150, 100)"
panel_running || fail "the program ended"
