# What both end-to-end suites (orvanta.exe under Wine, the native orvanta)
# read off the screen, the card's trace and the settings file. The suite's
# lib.sh sets TEST_DIR, INI, TRACE, REFERENCE_SKIN (the skin the headless
# drawing uses), ARTIFACT_PREFIX and SHOT_PAUSE, and provides fail and note.

# The tests' X server, Xvfb, now and then drops a new connection at once
# ("Connection reset by peer" before the connection setup is answered) when
# it arrives while another client's disconnect is being handled; the busier
# the machine, the more often. The X tools then could not open the display:
# they connect again, up to five times, as the programs under test do.
x_connect_again() {
  local err rc try
  for try in 1 2 3 4 5; do
    { err=$(command "$@" 2>&1 1>&3 3>&-); rc=$?; } 3>&1
    if [ "$rc" != 0 ] && [ "$try" -lt 5 ]; then
      case $err in *"open display"*|*"open X server"*) sleep 0.05; continue ;; esac
    fi
    break
  done
  [ -z "$err" ] || printf '%s\n' "$err" >&2
  return "$rc"
}
xdotool() { x_connect_again xdotool "$@"; }
xwininfo() { x_connect_again xwininfo "$@"; }
import() { x_connect_again import "$@"; }

# The panel's scale ([Window] SCALE) the test runs at: the helpers below take
# places and sizes in panel pixels and look at the screen that many times larger.
SHOT_SCALE=${SHOT_SCALE:-1}

# scaled N: panel pixels N on the screen.
scaled() {
  echo $(($1 * SHOT_SCALE))
}

# scaled_geometry WxH+X+Y: the geometry in panel pixels on the screen.
scaled_geometry() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$1"
  echo "$(scaled "$w")x$(scaled "$h")+$(scaled "$x")+$(scaled "$y")"
}

# Sets X, Y, WIDTH, HEIGHT of window $1.
window_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
}

# Window $1 as a PNG at $2, cut out of a screenshot of the whole screen.
window_shot() {
  window_geometry "$1"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}

# Blacks out the clock cells (x 28..71, y 34..43 in panel pixels) of image $1
# into $2: the minute may differ between two drawings.
mask_clock() {
  local s=${3:-$SHOT_SCALE}
  convert "$1" -fill black -draw "rectangle $((28 * s)),$((34 * s)) $((72 * s - 1)),$((44 * s - 1))" "$2"
}

# The number of differing pixels of two images, or an error text.
differing() {
  compare -metric AE "$1" "$2" null: 2>&1
}

# stable_shot WINDOW NAME: shoots window $1 until two masked shots in a row
# agree (an animation or the wipe is over); prints the path of the last one.
stable_shot() {
  local id=$1 name=$2 prev="" i
  for i in $(seq 1 30); do
    sleep "${SHOT_PAUSE:-0.5}"
    window_shot "$id" "$TEST_DIR/$name-shot$i.png" || return 1
    mask_clock "$TEST_DIR/$name-shot$i.png" "$TEST_DIR/$name-masked$i.png"
    if [ -n "$prev" ] && [ "$(differing "$prev" "$TEST_DIR/$name-masked$i.png")" = 0 ]; then break; fi
    prev=$TEST_DIR/$name-masked$i.png
  done
  echo "$TEST_DIR/$name-masked$i.png"
}

# same_as_render SHOT NAME [CROP]: compares a masked window shot with what the
# headless back end draws at start-up for the current settings, enlarged to
# the test's scale pixel for pixel, both cut to the geometry CROP (WxH+X+Y in
# panel pixels) when given; fails the test when a pixel differs.
same_as_render() {
  local shot=$1 name=$2 crop=${3:-} size_shot size_ref diff out
  [ -x "$ORVANTA_RENDER" ] || fail "reference renderer $ORVANTA_RENDER is missing (build the native preset)"
  tr -d '\r' < "$INI" | grep -v '^TRACE=' > "$TEST_DIR/$name.ini"  # same settings, no trace
  "$ORVANTA_RENDER" --skin "$REFERENCE_SKIN" --settings "$TEST_DIR/$name.ini" \
    --hour "$(date +%-H)" --minute "$(date +%-M)" --out "$TEST_DIR/$name-render.ppm" \
    || fail "orvanta_render failed"
  mask_clock "$TEST_DIR/$name-render.ppm" "$TEST_DIR/$name-render.png" 1
  # -scale repeats pixels for whole-number factors: each one becomes a block.
  [ "$SHOT_SCALE" = 1 ] || convert "$TEST_DIR/$name-render.png" -scale "$((SHOT_SCALE * 100))%" "$TEST_DIR/$name-render.png"
  if [ -n "$crop" ]; then
    crop=$(scaled_geometry "$crop")
    convert "$shot" -crop "$crop" +repage "$TEST_DIR/$name-cropped.png"
    convert "$TEST_DIR/$name-render.png" -crop "$crop" +repage "$TEST_DIR/$name-render.png"
    shot=$TEST_DIR/$name-cropped.png
  fi
  size_shot=$(identify -format '%wx%h' "$shot")
  size_ref=$(identify -format '%wx%h' "$TEST_DIR/$name-render.png")
  [ "$size_shot" = "$size_ref" ] || fail "$name: window is $size_shot, the headless drawing $size_ref"
  diff=$(differing "$shot" "$TEST_DIR/$name-render.png")
  note "$name: window $size_shot, differing pixels outside the clock: $diff"
  if [ "$diff" != 0 ]; then
    out=${E2E_ARTIFACTS:-/tmp}/$ARTIFACT_PREFIX-$name
    mkdir -p "$out" && cp "$shot" "$out/window.png" && cp "$TEST_DIR/$name-render.png" "$out/headless.png"
    compare "$shot" "$TEST_DIR/$name-render.png" "$out/diff.png" 2>/dev/null
    fail "$name: $diff pixels differ (images in $out)"
  fi
}

# The card's trace: the last transfer line, a test for it, and the count.
last_transfer() {
  [ -f "$TRACE" ] && tr -d '\r' < "$TRACE" | grep '^T ' | tail -n 1
}

transfer_is() {
  [ "$(last_transfer)" = "$1" ]
}

transfers() {
  if [ -f "$TRACE" ]; then tr -d '\r' < "$TRACE" | grep -c '^T '; else echo 0; fi
}

# setting KEY: the first value of KEY in the settings file.
setting() {
  tr -d '\r' 2>/dev/null < "$INI" | grep -m 1 "^$1=" | cut -d= -f2
}

setting_is() {
  [ "$(setting "$1")" = "$2" ]
}

# size_is WINDOW W H: window WINDOW is W x H screen pixels.
size_is() {
  window_geometry "$1"
  [ "$WIDTH" = "$2" ] && [ "$HEIGHT" = "$3" ]
}

# click_and_settle WINDOW NAME X Y WIDTH HEIGHT: presses at window (X, Y),
# waits for the window to reach WIDTH x HEIGHT and stop changing (all in
# panel pixels); the last masked shot is in $shot.
click_and_settle() {
  local id=$1 name=$2 x=$(scaled "$3") y=$(scaled "$4") w=$(scaled "$5") h=$(scaled "$6")
  window_geometry "$id"
  xdotool mousemove --sync $((X + x)) $((Y + y)) click 1
  wait_until 20 size_is "$id" "$w" "$h" || { window_geometry "$id"; fail "$name: window is ${WIDTH}x${HEIGHT}, not ${w}x${h}"; }
  shot=$(stable_shot "$id" "$name") || fail "$name: screenshot failed"
}

# morph_through_styles WINDOW: the handles morph the panel full to compact,
# compact to mini, and back. Each style saves itself, and each panel a morph
# leaves behind looks exactly like the one the headless back end paints at
# start-up; the window stays at (150, 100).
morph_through_styles() {
  local id=$1
  stable_shot "$id" start >/dev/null || fail "screenshot failed"

  click_and_settle "$id" compact 5 60 367 82  # left handle
  setting_is STYLE 1 || fail "STYLE is '$(setting STYLE)' after full to compact, not 1"
  same_as_render "$shot" compact

  click_and_settle "$id" mini 160 6 216 82  # top handle
  setting_is STYLE 2 || fail "STYLE is '$(setting STYLE)' after compact to mini, not 2"
  # Left of the end cap the mini panel is the compact one, kept through the
  # narrowing and the end cap sliding out: the same as a mini panel at start-up.
  same_as_render "$shot" mini 176x82+0+0

  click_and_settle "$id" back-to-compact 160 6 367 82
  setting_is STYLE 1 || fail "STYLE is '$(setting STYLE)' after mini to compact, not 1"
  same_as_render "$shot" back-to-compact

  click_and_settle "$id" full 5 60 367 132
  setting_is STYLE 0 || fail "STYLE is '$(setting STYLE)' after compact to full, not 0"
  same_as_render "$shot" full
  window_geometry "$id"
  [ "$X,$Y" = "150,100" ] || fail "the morphs moved the window to ($X, $Y)"
}
