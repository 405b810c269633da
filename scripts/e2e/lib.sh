# Helpers for the end-to-end tests: orvanta.exe under Wine on Xvfb.
# run_all.sh provides the X display, a booted Wine prefix and the choice of
# program and loader (E2E_DISPLAY, E2E_BASE_PREFIX, E2E_ROOT, ORVANTA_BUILD,
# ORVANTA_RENDER, WINE_LOADER and WINEARCH from scripts/wine.sh); each test
# copies the prefix, installs the program into C:\Orvanta and drives it with
# xdotool. Windows programs are started with "$WINE_LOADER", never "wine".

export DISPLAY=${E2E_DISPLAY:?run the end-to-end tests through scripts/e2e/run_all.sh}
: "${WINE_LOADER:?run the end-to-end tests through scripts/e2e/run_all.sh}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

. "$(dirname "${BASH_SOURCE[0]}")/shots.sh"
REFERENCE_SKIN=$ORVANTA_BUILD/text.dat
ARTIFACT_PREFIX=orvanta-e2e
SHOT_PAUSE=0.5

PANEL_PID=""
TEST_DIR=""

fail() {
  echo "FAIL: $*" >&2
  if [ -n "$TEST_DIR" ] && [ -s "$TEST_DIR/wine.log" ]; then
    echo "  last lines of Wine's output:" >&2
    tail -n 15 "$TEST_DIR/wine.log" | sed 's/^/    /' >&2
  fi
  exit 1
}

note() {
  echo "  $*"
}

# A fresh prefix for this test, the program and its skin in C:\Orvanta, and
# the settings: the simulated card with its trace in C:\trace.txt.
new_prefix() {
  TEST_DIR=$(mktemp -d "$E2E_ROOT/test.XXXXXX")
  export WINEPREFIX=$TEST_DIR/prefix
  cp -a "$E2E_BASE_PREFIX" "$WINEPREFIX"
  APP_DIR=$WINEPREFIX/drive_c/Orvanta
  mkdir -p "$APP_DIR"
  cp "$ORVANTA_BUILD/orvanta.exe" "$ORVANTA_BUILD/text.dat" "$APP_DIR/"
  INI=$WINEPREFIX/drive_c/windows/orvanta.ini
  TRACE=$WINEPREFIX/drive_c/trace.txt
  printf '[Simulator]\r\nMODE=simulated\r\nTRACE=C:\\trace.txt\r\n' > "$INI"
  trap stop_panel EXIT
}

# Starts the panel in the background; its output (Wine's debug channels) goes to $TEST_DIR/wine.log.
start_panel() {
  (cd "$APP_DIR" && exec "$WINE_LOADER" 'C:\Orvanta\orvanta.exe') > "$TEST_DIR/wine.log" 2>&1 &
  PANEL_PID=$!
}

# Ends every process of this test's prefix.
stop_panel() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$PANEL_PID" ]; then
    wait "$PANEL_PID" 2>/dev/null || true
    PANEL_PID=""
  fi
}

# True while the program started by start_panel runs.
panel_running() {
  [ -n "$PANEL_PID" ] && kill -0 "$PANEL_PID" 2>/dev/null
}

# wait_until SECONDS COMMAND...: retries COMMAND every 0.2 s until it succeeds.
wait_until() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# The X window whose name is exactly $1 (first match), printed; false when none.
find_window() {
  local id
  id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$id" ] && echo "$id"
}

# wait_window NAME SECONDS: prints the window id once it shows. One X
# connection waits the whole time: a new connection every poll, while Wine's
# processes connect as they start, would meet the X server's habit of
# dropping a connection that arrives during another client's disconnect.
wait_window() {
  local id
  id=$(x_connect_again timeout "$2" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$id" ] && echo "$id"
}

# The first transfer line of the card's trace, once there is one.
first_transfer() {
  [ -f "$TRACE" ] && grep -m 1 '^T ' "$TRACE" | tr -d '\r'
}

# Presses Return on the message box titled "Error" that is open now; true
# when it closed.
dismiss_error_box() {
  local id try
  id=$(wait_window Error 20) || return 1
  for try in 1 2 3 4 5; do
    xdotool windowfocus "$id" 2>/dev/null || true
    sleep 0.3
    xdotool key --clearmodifiers Return 2>/dev/null || true
    if wait_until 3 box_gone "$id"; then return 0; fi
  done
  return 1
}

box_gone() {
  ! xdotool getwindowname "$1" >/dev/null 2>&1 || [ -z "$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | grep -x "$1")" ]
}

