#!/usr/bin/env bash
# Settings: a file copied over from Windows (CRLF line ends) reads the same
# (preset 3 at 98.0 MHz gives divider 4348); the settings folder is made at
# the first write. Install: cmake --install puts the program, the remote, the
# skin, the web manual, the desktop entry, the icons, the metainfo and the
# manual pages in place; the installed program finds its skin in
# <prefix>/share/orvanta and starts.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

new_test
printf '[Simulator]\r\nTRACE=%s\r\n[RadioStation]\r\nSTATION=3\r\nSTATION3=98.000000\r\n[SYSTEM]\r\nSTYLE=0\r\n' "$TRACE" > "$INI"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 transfer_is "T 4348 85" || fail "CRLF settings: first transfer '$(last_transfer)', expected 'T 4348 85'"
note "settings with CRLF line ends: $(last_transfer)"
xdotool key --window "$id" Right
wait_until 5 transfer_is "T 4349 85" || fail "right arrow after CRLF settings: '$(last_transfer)'"
stop_all

# No settings folder yet: made at the first write (a preset key), mode 0700.
new_test
rm -rf "$XDG_CONFIG_HOME"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
sleep 0.5
xdotool key --window "$id" 2
wait_until 5 setting_is STATION 2 || fail "no settings file after the first write"
[ "$(stat -c %a "$XDG_CONFIG_HOME/orvanta")" = 700 ] || fail "settings folder mode $(stat -c %a "$XDG_CONFIG_HOME/orvanta")"
note "settings folder made at the first write: $INI"
stop_all

# The installation.
new_test
prefix=$TEST_DIR/prefix
cmake --install "$ORVANTA_NATIVE" --prefix "$prefix" > "$TEST_DIR/install.log" 2>&1 || fail "cmake --install failed: $(tail -n 3 "$TEST_DIR/install.log")"
id=org.orvanta.Orvanta
for f in bin/orvanta bin/orvanta-remote share/orvanta/text.dat share/orvanta/orvanta.html \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/man/man1/orvanta.1.gz share/man/man1/orvanta-remote.1.gz; do
  [ -f "$prefix/$f" ] || fail "cmake --install did not put $f"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "the desktop entry does not validate"
for size in 16 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x$size" ] || fail "the icon $icon is not $size x $size"
done
"$prefix/bin/orvanta" > "$TEST_DIR/panel.log" 2>&1 &
PANEL_PID=$!
id=$(panel_window) || fail "the installed program showed no window"
wait_until 10 transfer_is "T 3988 85" || fail "the installed program did not tune"
shot=$(stable_shot "$id" installed) || fail "screenshot failed"
same_as_render "$shot" installed
"$prefix/bin/orvanta-remote" station 4 || fail "the installed remote exited $?"
wait_until 5 setting_is STATION 4 || fail "the installed remote did not reach the panel"
note "installed in $prefix: programs, skin, manual, desktop entry, icons, metainfo, manual pages"
