#!/usr/bin/env bash
# SCALE=auto (the default) takes the screen's logical DPI: with Windows'
# setting of 192 DPI (200 per cent) the panel is drawn twice as large, and
# equals the headless drawing enlarged pixel for pixel.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_prefix
for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  "$WINE_LOADER" reg add "$key" /v LogPixels /t REG_DWORD /d 192 /f > "$TEST_DIR/reg.log" 2>&1 \
    || fail "could not set LogPixels under $key: $(tail -n 2 "$TEST_DIR/reg.log")"
done
wineserver -w
start_panel
id=$(wait_window Orvanta 60) || fail "no window named Orvanta within 60 s"
wait_until 20 size_is "$id" 734 264 || fail "auto at 192 DPI: window is ${WIDTH}x${HEIGHT}, not 734x264"
SHOT_SCALE=2
shot=$(stable_shot "$id" start) || fail "screenshot failed"
same_as_render "$shot" start
note "auto at 192 DPI: ${WIDTH}x${HEIGHT}"
