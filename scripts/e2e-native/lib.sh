# Helpers for the end-to-end tests of the native program (build/native/orvanta)
# on Xvfb. run_all.sh provides the X display and the build (E2E_DISPLAY,
# E2E_ROOT, ORVANTA_NATIVE, ORVANTA_RENDER); each test gets its own program
# folder, settings folder and runtime folder, and drives the panel with xdotool.

export DISPLAY=${E2E_DISPLAY:?run the native end-to-end tests through scripts/e2e-native/run_all.sh}

. "$(dirname "${BASH_SOURCE[0]}")/../e2e/shots.sh"
REFERENCE_SKIN=$ORVANTA_NATIVE/text.dat
ARTIFACT_PREFIX=orvanta-e2e-native
SHOT_PAUSE=0.3

PANEL_PID=""
TEST_DIR=""
EXTRA_PIDS=()

fail() {
  echo "FAIL: $*" >&2
  if [ -n "$PANEL_PID" ]; then
    if panel_running; then
      echo "  the panel (pid $PANEL_PID) still runs" >&2
      if command -v gdb >/dev/null; then  # where it is stuck
        timeout 20 gdb -p "$PANEL_PID" -batch -ex 'thread apply all bt 12' 2>/dev/null | grep -E '^(#|Thread)' | sed 's/^/    /' >&2
      fi
    else
      echo "  the panel has ended" >&2
    fi
  fi
  echo "  windows: $(xwininfo -root -tree 2>/dev/null | grep -o '"[^"]*": ([^)]*) *[0-9x+-]*' | tr '\n' ' ')" >&2
  if [ -n "$TEST_DIR" ] && [ -s "$TEST_DIR/panel.log" ]; then
    echo "  last lines of the panel's output:" >&2
    tail -n 15 "$TEST_DIR/panel.log" | sed 's/^/    /' >&2
  fi
  exit 1
}

note() {
  echo "  $*"
}

# A fresh test: the program and text.dat in $APP_DIR, the settings in
# $XDG_CONFIG_HOME/orvanta/orvanta.ini with the simulated card's trace in
# $TRACE, the remote socket in $XDG_RUNTIME_DIR.
new_test() {
  TEST_DIR=$(mktemp -d "$E2E_ROOT/test.XXXXXX")
  APP_DIR=$TEST_DIR/app
  mkdir -p "$APP_DIR" "$TEST_DIR/config/orvanta" "$TEST_DIR/runtime"
  chmod 700 "$TEST_DIR/runtime"
  cp "$ORVANTA_NATIVE/orvanta" "$ORVANTA_NATIVE/text.dat" "$APP_DIR/"
  export XDG_CONFIG_HOME=$TEST_DIR/config
  export XDG_RUNTIME_DIR=$TEST_DIR/runtime
  INI=$XDG_CONFIG_HOME/orvanta/orvanta.ini
  TRACE=$TEST_DIR/trace.txt
  SOCKET=$XDG_RUNTIME_DIR/orvanta.sock
  REMOTE=$ORVANTA_NATIVE/orvanta-remote
  printf '[Simulator]\nTRACE=%s\n' "$TRACE" > "$INI"
  trap stop_all EXIT
  trap 'stop_all; exit 1' TERM INT
}

# Starts the panel in the background; its output goes to $TEST_DIR/panel.log.
start_panel() {
  "$APP_DIR/orvanta" > "$TEST_DIR/panel.log" 2>&1 &
  PANEL_PID=$!
}

# Ends the panel and whatever else this test started, by their ids.
stop_all() {
  local p
  for p in "${EXTRA_PIDS[@]}" $PANEL_PID; do
    kill "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  EXTRA_PIDS=()
  PANEL_PID=""
  return 0
}

panel_running() {
  [ -n "$PANEL_PID" ] && kill -0 "$PANEL_PID" 2>/dev/null
}

panel_ended() {
  ! panel_running
}

# wait_until SECONDS COMMAND...: retries COMMAND every 0.1 s until it succeeds.
wait_until() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}

# The X window (hex id) whose name is exactly $1, printed; false when none.
# xwininfo lists windows that have no class too (SDL's message boxes).
find_window() {
  local id
  id=$(xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" 'index($0, name) { print $1; exit }')
  [ -n "$id" ] && echo "$id"
}

# wait_window NAME SECONDS: prints the window id once it shows.
wait_window() {
  local id="" end=$((SECONDS + $2))
  while :; do
    id=$(find_window "$1") && break
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
  echo "$id"
}

# The panel window, once it shows.
panel_window() {
  wait_window Orvanta "${1:-30}"
}

# The xwininfo line of the window named $1 (id, name and geometry); "" when none.
window_line() {
  xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" 'index($0, name) { print; exit }'
}

# Presses KEY on the box titled TITLE that is open now; true once it closed.
# A box that follows at once may get the same window id, so a box counts as
# closed when the line of that title changed (the next box has other text).
answer_box() {
  local title=$1 key=$2 id line try
  id=$(wait_window "$title" 20) || return 1
  line=$(window_line "$title")
  for try in 1 2 3 4 5; do
    xdotool windowfocus "$id" 2>/dev/null || true
    sleep 0.2
    xdotool key --clearmodifiers "$key" 2>/dev/null || true
    if wait_until 3 box_changed "$title" "$line"; then return 0; fi
  done
  return 1
}

box_gone() {
  ! find_window "$1" >/dev/null
}

box_changed() {
  [ "$(window_line "$1")" != "$2" ]
}


# The panel's TUNED lamp in window $1 looks exactly as the skin's lit lamp.
tuned_lamp_lit() {
  [ -f "$TEST_DIR/lit.png" ] || convert "$ORVANTA_NATIVE/text.dat" -crop 29x10+360+220 +repage "$TEST_DIR/lit.png" 2>/dev/null \
    || convert "bmp:$ORVANTA_NATIVE/text.dat" -crop 29x10+360+220 +repage "$TEST_DIR/lit.png" || return 1
  import -window "$1" "$TEST_DIR/panel.png" 2>/dev/null || return 1
  convert "$TEST_DIR/panel.png" -crop 29x10+44+22 +repage "$TEST_DIR/lamp.png"
  [ "$(compare -metric AE "$TEST_DIR/lamp.png" "$TEST_DIR/lit.png" null: 2>&1)" = 0 ]
}

# What the panel played: $SOUND, written by SDL's disk driver (signed 16-bit
# stereo at 48 kHz), read by the tone_levels helper.
TONES=$ORVANTA_NATIVE/tone_levels
sound_bytes_per_second=192000
# Seconds of sound written so far.
sound_seconds() { echo "scale=3; $(stat -c %s "$SOUND" 2>/dev/null || echo 0) / $sound_bytes_per_second" | bc; }
# levels SECONDS HZ...: the tone levels (dBFS, "HZ LEFT RIGHT", and "rms LEFT RIGHT") in the last SECONDS written.
levels() {
  local span=$1; shift
  "$TONES" "$SOUND" "$(echo "scale=3; $(sound_seconds) - $span" | bc)" "$span" "$@"
}
# level_of OUTPUT HZ CHANNEL(2 left, 3 right): one number from levels' output.
level_of() { echo "$1" | awk -v hz="$2" -v c="$3" '$1 == hz { print $c }'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d) }'; }
# plays LEFT_HZ RIGHT_HZ: over the last half second, each tone plays in its
# own channel and at least 20 dB below that in the other.
plays() {
  local out left right; out=$(levels 0.5 "$1" "$2") || return 1
  left=$(level_of "$out" "$1" 2); right=$(level_of "$out" "$2" 3)
  above "$left" -40 && above "$right" -40 &&
    above "$left" "$(awk -v x="$(level_of "$out" "$1" 3)" 'BEGIN { print x + 20 }')" &&
    above "$right" "$(awk -v x="$(level_of "$out" "$2" 2)" 'BEGIN { print x + 20 }')"
}
# Nothing above -70 dBFS in the last 0.3 s.
silent() { local out; out=$(levels 0.3) || return 1; ! above "$(echo "$out" | awk '$1 == "rms" { print ($2 > $3 ? $2 : $3) }')" -70; }

# lamp_lit WINDOW SKIN_CROP PANEL_CROP: the part PANEL_CROP (WxH+X+Y) of window
# WINDOW looks exactly as the part SKIN_CROP of the skin (its lit look).
lamp_lit() {
  local lit=$TEST_DIR/lit-${2//[x+]/_}.png
  [ -f "$lit" ] || convert "bmp:$ORVANTA_NATIVE/text.dat" -crop "$2" +repage "$lit" || return 1
  import -window "$1" "$TEST_DIR/panel.png" 2>/dev/null || return 1
  convert "$TEST_DIR/panel.png" -crop "$3" +repage "$TEST_DIR/lamp.png"
  [ "$(compare -metric AE "$TEST_DIR/lamp.png" "$lit" null: 2>&1)" = 0 ]
}

# The MUTE lamp in window $1 is lit.
mute_lamp_lit() { lamp_lit "$1" 11x9+2+252 11x9+29+22; }

# A session bus of this test's own (dbus-daemon), its address exported for
# the panel, playerctl and busctl --user; ended with the test.
start_session_bus() {
  local address=$TEST_DIR/bus.address
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$address" 2>"$TEST_DIR/bus.log" &
  EXTRA_PIDS+=($!)
  wait_until 10 test -s "$address" || return 1
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$address")
  export DBUS_SESSION_BUS_ADDRESS
}

# The panel's desktop player controls through playerctl.
player() { playerctl --player=orvanta "$@"; }
# player_is ARGS... VALUE: playerctl ARGS prints VALUE.
player_is() { [ "$(player "${@:1:$#-1}" 2>/dev/null)" = "${!#}" ]; }
