#!/usr/bin/env bash
# The remote that answers: "orvanta-remote status" (and --json) follows
# clicks, keys and remote commands; tune, seek and preset next/prev act as
# the panel's own controls; a tune outside the band exits 2 and changes
# nothing; answers come within 100 ms, and a flood of questions does not
# slow the panel's own timer (a seek keeps its pace).
set -uo pipefail
. "$(dirname "$0")/lib.sh"

status() { "$REMOTE" status; }
field() { status | awk -v k="$1" -F': ' '$1 == k { print $2; exit }'; }
field_is() { [ "$(field "$1")" = "$2" ]; }
json() { "$REMOTE" status --json; }
json_field() { json | python3 -c 'import json, sys; v = json.load(sys.stdin).get(sys.argv[1]); print(json.dumps(v))' "$1"; }

new_test
printf '[RadioStation]\nStation3=94.8\n' >> "$INI"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 field_is frequency 89.000 || fail "status at start: $(status | tr '\n' ' ')"
status | sed 's/^/    /'
for key in frequency preset muted signal style card; do
  [ -n "$(field "$key")" ] || fail "status has no '$key': $(status | tr '\n' ' ')"
done
[ "$(field style)" = full ] && [ "$(field muted)" = no ] && [ "$(field card)" = "simulated card" ] ||
  fail "status at start: $(status | tr '\n' ' ')"

# A click on preset key 3 (94.8, a station), a key, a remote command.
window_geometry "$id"
xdotool mousemove --sync $((X + 260)) $((Y + 28)) click 1
wait_until 5 field_is preset 3 || fail "click on preset 3: status says preset $(field preset)"
wait_until 5 field_is frequency 94.800 || fail "click on preset 3: frequency $(field frequency)"
field_is signal yes || fail "94.8 is a station, status says signal $(field signal)"
xdotool key --window "$id" m
wait_until 5 field_is muted yes || fail "M: status says muted $(field muted)"
"$REMOTE" mute off
field_is muted no || fail "remote mute off: status (asked at once) says muted $(field muted)"
note "click on preset 3, M, remote mute off: status followed each"

# The JSON form: numbers as numbers, yes/no as true/false.
out=$(json) || fail "status --json exited $?"
echo "    $out"
python3 - "$out" <<'PY' || fail "status --json is not what the lines say: $out"
import json, sys
s = json.loads(sys.argv[1])
assert s["frequency"] == 94.8 and isinstance(s["frequency"], float), s
assert s["preset"] == 3 and s["muted"] is False and s["signal"] is True, s
assert s["style"] == "full" and s["card"] == "simulated card", s
PY

# The keyboard's media keys, where the panel has the focus.
xdotool key --window "$id" XF86AudioPlay
wait_until 5 field_is muted yes || fail "play/pause key: muted $(field muted)"
xdotool key --window "$id" XF86AudioNext
wait_until 5 field_is preset 4 || fail "next key: preset $(field preset)"
xdotool key --window "$id" XF86AudioPrev XF86AudioPlay
wait_until 5 field_is muted no || fail "play/pause key again: muted $(field muted)"
field_is preset 3 || fail "previous key: preset $(field preset)"
note "media keys: play/pause muted, next 4, previous 3, play/pause unmuted"

# tune: onto the 25 kHz grid, inside the band only.
"$REMOTE" tune 98.1 || fail "tune 98.1 exited $?"
field_is frequency 98.100 || fail "tune 98.1: frequency $(field frequency)"
"$REMOTE" tune 101.31 || fail "tune 101.31 exited $?"
field_is frequency 101.300 || fail "tune 101.31 is not on the grid: $(field frequency)"
for bad in 108.1 108.0001 86.9999 0 86.9; do
  msg=$("$REMOTE" tune "$bad" 2>&1); rc=$?
  [ "$rc" = 2 ] || fail "tune $bad exited $rc ($msg), expected 2"
done
note "tune 86.9: '$msg' (exit 2)"
field_is frequency 101.300 || fail "a refused tune changed the frequency to $(field frequency)"
"$REMOTE" tune 108 && field_is frequency 108.000 || fail "tune 108 (the band edge) was refused"
"$REMOTE" tune 87 && field_is frequency 87.000 || fail "tune 87 (the band edge) was refused"
"$REMOTE" tune abc 2>/dev/null; [ $? = 2 ] || fail "tune abc did not exit 2"

# preset next/prev, wrapping at 99 and 1.
"$REMOTE" station 99 && wait_until 5 field_is preset 99 || fail "station 99"
"$REMOTE" preset next; field_is preset 1 || fail "preset next after 99 gave $(field preset)"
"$REMOTE" preset prev; field_is preset 99 || fail "preset prev after 1 gave $(field preset)"
"$REMOTE" preset next; "$REMOTE" preset next; "$REMOTE" preset next
field_is preset 3 && field_is frequency 94.800 || fail "three times next: preset $(field preset) at $(field frequency)"
note "preset next/prev: 99 -> 1 -> 99 -> 3"

# seek: from 100.9 up finds 101.3; measure its pace.
"$REMOTE" tune 100.9
start=$(date +%s%N)
"$REMOTE" seek up
wait_until 10 field_is frequency 101.300 || fail "seek up from 100.9 stopped at $(field frequency)"
quiet_ms=$(( ($(date +%s%N) - start) / 1000000 ))

# Answers within 100 ms.
python3 - "$REMOTE" <<'PY' || fail "status answers too slow"
import subprocess, sys, time
times = []
for _ in range(50):
    t = time.perf_counter()
    subprocess.run([sys.argv[1], "status"], stdout=subprocess.DEVNULL, check=True)
    times.append((time.perf_counter() - t) * 1000)
times.sort()
print(f"  status answer: median {times[25]:.1f} ms, slowest {times[-1]:.1f} ms of 50")
sys.exit(0 if times[45] < 100 else 1)
PY

# The same seek under a flood of questions from four clients.
flood() { while :; do "$REMOTE" status >/dev/null; "$REMOTE" status --json >/dev/null; done; }
for i in 1 2 3 4; do flood & EXTRA_PIDS+=($!); done
sleep 0.5
"$REMOTE" tune 100.9
start=$(date +%s%N)
"$REMOTE" seek up
wait_until 10 field_is frequency 101.300 || fail "seek under the flood stopped at $(field frequency)"
flood_ms=$(( ($(date +%s%N) - start) / 1000000 ))
for p in "${EXTRA_PIDS[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
EXTRA_PIDS=()
note "seek 100.9 -> 101.3: ${quiet_ms} ms quiet, ${flood_ms} ms under a flood of status requests"
[ "$flood_ms" -lt $((quiet_ms * 3 / 2 + 500)) ] || fail "the flood slowed the seek from $quiet_ms to $flood_ms ms"
panel_running || fail "the panel died under the flood"
