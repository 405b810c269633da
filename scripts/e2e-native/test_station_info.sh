#!/usr/bin/env bash
# What the station says about itself over RDS reaches the remote's status
# and standard error: the simulated card plays its band through our
# receiver (SDL's dummy output takes the sound). 87.6 MHz sends a fixed
# name, its text, PI, programme type, TP and the clock; a tuning empties it
# all at once; 89.3 scrolls its name in pieces of eight, never shown mixed;
# 98.1 sends accented text and TA; 91.4 sends no RDS.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

status() { "$REMOTE" status 2>/dev/null; }
field() { status | awk -v k="$1" 'index($0, k ": ") == 1 { print substr($0, length(k) + 3); exit }'; }
field_is() { [ "$(field "$1")" = "$2" ]; }
no_station() { ! status | grep -qE '^(station|text|pi|pty|tp|ta|clock): '; }

new_test
printf '[RadioStation]\nStation3=87.6\n' >> "$INI"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 field_is card "simulated card" || fail "status at start: $(status | tr '\n' ' ')"

window_geometry "$id"
start=$(date +%s%N)
xdotool mousemove --sync $((X + 260)) $((Y + 28)) click 1  # preset key 3: 87.6
wait_until 3 field_is station "ORVANTA" || fail "preset 3 (87.6): no name within 3 s: $(status | tr '\n' ' ')"
name_ms=$(( ($(date +%s%N) - start) / 1000000 ))
wait_until 6 field_is text "Orvanta's simulated band: tones and chords all day" || fail "87.6: text $(field text)"
field_is pi C301 && field_is pty "Pop Music" && field_is tp yes && field_is ta no ||
  fail "87.6: $(status | tr '\n' ' ')"
wait_until 3 eval '[[ "$(field clock)" =~ ^20[0-9][0-9]-[01][0-9]-[0-3][0-9]\ [0-2][0-9]:[0-5][0-9]$ ]]' ||
  fail "87.6: clock '$(field clock)'"
grep -q "^orvanta: station: ORVANTA" "$TEST_DIR/panel.log" || fail "standard error has no station line"
note "preset 3 (87.6): name $name_ms ms after the click; $(status | grep -E '^(station|text|pi|pty|tp|ta|clock):' | tr '\n' ' ')"

"$REMOTE" tune 100
no_station || fail "tune 100 (no station there): the old station is still in the status: $(status | tr '\n' ' ')"
"$REMOTE" station 3
wait_until 3 field_is station "ORVANTA" || fail "back on preset 3: no name within 3 s"

"$REMOTE" tune 89.3
no_station || fail "tune 89.3: the old station is still in the status: $(status | tr '\n' ' ')"
names=$TEST_DIR/names.txt
: > "$names"
end=$((SECONDS + 10))
while [ "$SECONDS" -lt "$end" ]; do field station >> "$names"; sleep 0.05; done
bad=$(sort -u "$names" | grep -vxE '|WELCOME|TO THE|ORVANTA|SCROLLER' || true)
[ -z "$bad" ] || fail "89.3: a mixed name showed: '$bad'"
grep -qx "WELCOME" "$names" && grep -qx "TO THE" "$names" || fail "89.3: the name did not scroll: $(sort -u "$names" | tr '\n' '|')"
note "89.3: empty at once, then $(uniq "$names" | grep -v '^$' | tr '\n' '|')"

"$REMOTE" tune 98.1
wait_until 8 field_is text "Grüße aus dem Simulator - Kälte, Café" || fail "98.1: text '$(field text)'"
field_is station "KLASSIK" && field_is ta yes || fail "98.1: $(status | tr '\n' ' ')"
"$REMOTE" status --json | python3 -c 'import json, sys; s = json.load(sys.stdin); assert s["text"].startswith("Grüße") and s["ta"] is True, s' ||
  fail "98.1: status --json"
note "98.1: $(field station)/$(field text), TA yes"

"$REMOTE" tune 91.4
sleep 2
no_station || fail "91.4 sends no RDS, yet: $(status | tr '\n' ' ')"
note "91.4: no station information"
