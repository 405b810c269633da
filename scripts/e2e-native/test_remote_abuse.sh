#!/usr/bin/env bash
# The socket under abuse: an overlong line, binary garbage, a client that
# never writes and a hundred clients at once neither block, crash nor slow
# the panel: remote commands and keys keep working at once. A stale socket
# left by a crashed panel is replaced at start; a second panel started while
# one runs still starts, and the remote reaches one of them.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

PROBE=$ORVANTA_NATIVE/orvanta_socket_probe
[ -x "$PROBE" ] || fail "missing $PROBE"

# prompt NAME COMMAND...: COMMAND must take effect within 2 s.
prompt() {
  local name=$1; shift
  local t0=$SECONDS
  wait_until 2 "$@" || fail "$name: no effect within 2 s"
  note "$name: took effect within $((SECONDS - t0)) s"
}

new_test
# A crashed panel leaves its socket behind.
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 transfer_is "T 3988 85" || fail "no start-up transfer"
wait_until 5 test -S "$SOCKET" || fail "no socket at $SOCKET"
kill -9 "$PANEL_PID"; wait "$PANEL_PID" 2>/dev/null; PANEL_PID=""
[ -S "$SOCKET" ] || fail "no socket left by the killed panel"
"$REMOTE" station 2 2>/dev/null; [ $? = 1 ] || fail "remote to a dead panel's socket did not exit 1"
start_panel
id=$(panel_window) || fail "no window after the crash"
wait_until 10 eval '[ "$(transfers)" = 2 ]' || fail "the second start did not tune"
prompt "stale socket replaced: station 2" bash -c "'$REMOTE' station 2 2>/dev/null && grep -q '^STATION=2' '$INI'"

# An overlong line, then a good command on the same connection: the long one is skipped.
{ head -c 5000 /dev/zero | tr '\0' 'x'; printf '\nstation 4\n'; } | "$PROBE" send "$SOCKET" >/dev/null
prompt "after an overlong line: station 4" setting_is STATION 4
# Exactly 65 bytes before the line end: ignored.
printf 'station 0000000000000000000000000000000000000000000000000000000009\n' | "$PROBE" send "$SOCKET" >/dev/null
sleep 0.3
setting_is STATION 4 || fail "a 65-byte line was taken"
# Binary garbage.
head -c 20000 /dev/urandom | "$PROBE" send "$SOCKET" >/dev/null
"$REMOTE" station 6 || fail "remote after garbage exited $?"
prompt "after garbage: station 6" setting_is STATION 6
# A station beyond the message's 16 bits is no station (65537 would wrap to 1).
printf 'station 65537\n' | "$PROBE" send "$SOCKET" >/dev/null
sleep 0.3
setting_is STATION 6 || fail "station 65537 was taken as $(setting STATION)"

# Silent clients: one, then a hundred at once, holding their connections.
"$PROBE" hold "$SOCKET" 1 30 > "$TEST_DIR/one.txt" & EXTRA_PIDS+=($!)
"$PROBE" hold "$SOCKET" 100 30 > "$TEST_DIR/crowd.txt" & EXTRA_PIDS+=($!)
wait_until 10 test -s "$TEST_DIR/crowd.txt" || fail "the crowd did not connect"
note "silent clients connected: $(cat "$TEST_DIR/one.txt") + $(cat "$TEST_DIR/crowd.txt")"
"$REMOTE" station 8 || fail "remote during the crowd exited $?"
prompt "during the crowd: station 8" setting_is STATION 8
xdotool key --window "$id" Right
prompt "during the crowd: right arrow" transfer_is "T 3989 85"
panel_running || fail "the panel ended under abuse"

# A second panel while one runs: it starts, and the remote reaches one of them.
before=$(transfers)
"$APP_DIR/orvanta" > "$TEST_DIR/second.log" 2>&1 & EXTRA_PIDS+=($!)
second=$!
wait_until 10 eval '[ "$(transfers)" -gt "$before" ]' || fail "the second panel did not start"
sleep 0.5
kill -0 "$second" 2>/dev/null || fail "the second panel ended"
"$REMOTE" station 9 || fail "remote with two panels exited $?"
prompt "two panels: station 9" setting_is STATION 9
# The newer panel dies without cleaning up: the older one takes the socket back.
kill -9 "$second"; wait "$second" 2>/dev/null
prompt_slow() { wait_until 6 bash -c "'$REMOTE' station 10 2>/dev/null && grep -q '^STATION=10' '$INI'"; }
prompt_slow || fail "after the second panel died the first one was not reachable again"
note "after the second panel died the first one took the socket back"
