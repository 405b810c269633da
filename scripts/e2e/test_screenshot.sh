#!/usr/bin/env bash
# The window as Wine shows it equals, pixel for pixel, what the headless back
# end draws for the same settings (orvanta_render). The clock cells
# (x 28..71, y 34..43) are masked, since the minute may differ.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

[ -x "$ORVANTA_RENDER" ] || fail "reference renderer $ORVANTA_RENDER is missing (build the native preset)"
new_prefix
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"

mask() {
  convert "$1" -fill black -draw "rectangle 28,34 71,43" "$2"
}
differing() {  # the number of differing pixels of two images, or an error text
  compare -metric AE "$1" "$2" null: 2>&1
}

# Shoot until two shots in a row agree: the first paint's wipe is over.
prev=""
for i in $(seq 1 20); do
  sleep 0.5
  window_shot "$id" "$TEST_DIR/shot$i.png" || fail "screenshot failed"
  mask "$TEST_DIR/shot$i.png" "$TEST_DIR/masked$i.png"
  if [ -n "$prev" ] && [ "$(differing "$prev" "$TEST_DIR/masked$i.png")" = 0 ]; then break; fi
  prev=$TEST_DIR/masked$i.png
done
shot=$TEST_DIR/masked$i.png

tr -d '\r' < "$INI" | grep -v '^TRACE=' > "$TEST_DIR/render.ini"  # same settings, no trace
"$ORVANTA_RENDER" --skin "$ORVANTA_BUILD/text.dat" --settings "$TEST_DIR/render.ini" \
  --hour "$(date +%-H)" --minute "$(date +%-M)" --out "$TEST_DIR/render.ppm" \
  || fail "orvanta_render failed"
mask "$TEST_DIR/render.ppm" "$TEST_DIR/render.png"

size_shot=$(identify -format '%wx%h' "$shot") size_ref=$(identify -format '%wx%h' "$TEST_DIR/render.png")
[ "$size_shot" = "$size_ref" ] || fail "window is $size_shot, the headless drawing $size_ref"
diff=$(differing "$shot" "$TEST_DIR/render.png")
note "window $size_shot, differing pixels outside the clock: $diff"
if [ "$diff" != 0 ]; then
  out=${E2E_ARTIFACTS:-/tmp}/orvanta-e2e-screenshot
  mkdir -p "$out" && cp "$shot" "$out/window.png" && cp "$TEST_DIR/render.png" "$out/headless.png"
  compare "$shot" "$TEST_DIR/render.png" "$out/diff.png" 2>/dev/null
  fail "$diff pixels differ (images in $out)"
fi
