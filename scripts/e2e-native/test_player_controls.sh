#!/usr/bin/env bash
# The desktop's media player controls (MPRIS 2) on a private session bus:
# the panel is the player "orvanta" with its name, desktop entry and icon;
# play-pause mutes as the mute button does (lamp, MUTE=1) and play unmutes;
# next and previous step the presets; a follower of the player's signals
# sees a click on a preset key at once; Volume set on the bus sets the level
# in 2 dB steps; a second panel takes an instance name; Quit ends the
# program as "orvanta-remote quit" does.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

bus_name=org.mpris.MediaPlayer2.orvanta
status() { "$REMOTE" status; }
field() { status | awk -v k="$1" -F': ' '$1 == k { print $2; exit }'; }
field_is() { [ "$(field "$1")" = "$2" ]; }
# prop INTERFACE NAME: a property as busctl prints it ("s \"Orvanta\"", "b true").
prop() { busctl --user get-property "$bus_name" /org/mpris/MediaPlayer2 "org.mpris.MediaPlayer2$1" "$2"; }
set_volume() { busctl --user set-property "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player Volume d "$1"; }
title_is() { player_is metadata xesam:title "$1"; }
# The title of a frequency, with or without the name its station sends.
title_of() { local t; t=$(player metadata xesam:title 2>/dev/null); [ "$t" = "$1" ] || [ "${t%% · *}" = "$1" ]; }
mute_lamp_dark() { ! mute_lamp_lit "$1"; }

new_test
printf '[RadioStation]\nStation2=94.8\nStation3=101.3\n' >> "$INI"
# Laid out as installed, so that the icon is found from the program's data folder.
prefix=$TEST_DIR/prefix
icon=$prefix/share/icons/hicolor/256x256/apps/org.orvanta.Orvanta.png
mkdir -p "$prefix/bin" "$prefix/share/orvanta" "$(dirname "$icon")"
mv "$APP_DIR/orvanta" "$prefix/bin/"
mv "$APP_DIR/text.dat" "$prefix/share/orvanta/"
cp "$ORVANTA_NATIVE/icons/256x256/org.orvanta.Orvanta.png" "$icon"
APP_DIR=$prefix/bin
start_session_bus || fail "no private session bus"
start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 player_is status Playing || fail "playerctl status: '$(player status 2>&1)'"

# What the desktop shows of the player.
[ "$(prop "" Identity)" = 's "Orvanta"' ] || fail "Identity: $(prop "" Identity)"
[ "$(prop "" DesktopEntry)" = 's "org.orvanta.Orvanta"' ] || fail "DesktopEntry: $(prop "" DesktopEntry)"
for p in CanRaise CanQuit; do [ "$(prop "" $p)" = "b true" ] || fail "$p: $(prop "" $p)"; done
for p in HasTrackList CanSetFullscreen; do [ "$(prop "" $p)" = "b false" ] || fail "$p: $(prop "" $p)"; done
for p in CanGoNext CanGoPrevious CanPlay CanPause CanControl; do
  [ "$(prop .Player $p)" = "b true" ] || fail "$p: $(prop .Player $p)"
done
[ "$(prop .Player CanSeek)" = "b false" ] || fail "CanSeek: $(prop .Player CanSeek)"
[ "$(player metadata mpris:artUrl)" = "file://$icon" ] || fail "artUrl '$(player metadata mpris:artUrl)', expected file://$icon"
title_of "89.000 MHz" || fail "title at start: '$(player metadata xesam:title)'"
player metadata | sed 's/^/    /'

# Play and pause are the mute button.
player play-pause || fail "play-pause exited $?"
player_is status Paused || fail "play-pause: status '$(player status)'"
field_is muted yes || fail "play-pause: the remote says muted $(field muted)"
wait_until 5 setting_is MUTE 1 || fail "play-pause: MUTE is '$(setting MUTE)'"
wait_until 5 mute_lamp_lit "$id" || fail "play-pause: the MUTE lamp is not lit"
player play
player_is status Playing && field_is muted no || fail "play: status '$(player status)', muted $(field muted)"
wait_until 5 mute_lamp_dark "$id" || fail "play: the MUTE lamp is still lit"
setting_is MUTE "" || fail "play: MUTE is '$(setting MUTE)'"
player pause; player_is status Paused || fail "pause: status '$(player status)'"
player stop; player_is status Paused || fail "stop after pause: status '$(player status)'"
player play-pause; player_is status Playing || fail "play-pause when paused: status '$(player status)'"
note "play-pause, play, pause, stop, play-pause: Paused (lamp, MUTE=1), Playing, Paused, Paused, Playing"

# Next and previous step the preset numbers, wrapping.
player next
field_is preset 2 && field_is frequency 94.800 || fail "next: preset $(field preset) at $(field frequency)"
title_of "94.800 MHz" || fail "next: title '$(player metadata xesam:title)'"
[ "$(player metadata mpris:trackid)" = "'/org/orvanta/Orvanta/preset/2'" ] && player_is metadata xesam:album "Preset 2" ||
  fail "next: trackid '$(player metadata mpris:trackid)', album '$(player metadata xesam:album)'"
player previous; field_is preset 1 || fail "previous: preset $(field preset)"
player previous; field_is preset 99 || fail "previous from 1: preset $(field preset)"
player next; field_is preset 1 || fail "next from 99: preset $(field preset)"
"$REMOTE" tune 100.05
title_of "100.050 MHz" || fail "tuned off the preset: title '$(player metadata xesam:title)'"
[ "$(player metadata mpris:trackid)" = "'/org/mpris/MediaPlayer2/TrackList/NoTrack'" ] ||
  fail "tuned off the preset: trackid '$(player metadata mpris:trackid)'"
note "next, previous: presets 2, 1, 99, 1; tuned off a preset: no track"

# What a station sends about itself: its name after the frequency, its radio text as the artist.
"$REMOTE" tune 87.6
wait_until 8 title_is "87.600 MHz · ORVANTA" || fail "87.6: title '$(player metadata xesam:title)'"
wait_until 8 player_is metadata xesam:artist "Orvanta's simulated band: tones and chords all day" ||
  fail "87.6: artist '$(player metadata xesam:artist)'"
on_air="'$(player metadata xesam:title)' by '$(player metadata xesam:artist)'"
"$REMOTE" tune 91.4  # a station without RDS
title_is "91.400 MHz" && [ -z "$(player metadata xesam:artist 2>/dev/null)" ] ||
  fail "91.4: title '$(player metadata xesam:title)', artist '$(player metadata xesam:artist)'"
note "87.6: $on_air; 91.4: '$(player metadata xesam:title)', no artist"
"$REMOTE" tune 100.05

# A click on the panel reaches a follower of the player's signals: within
# 100 ms of the panel's own status (asked of the remote in a tight loop).
window_geometry "$id"
python3 - "$((X + 260))" "$((Y + 28))" "$REMOTE" <<'PY' || fail "the title did not follow the click on preset key 3"
import subprocess, sys, threading, time
follow = subprocess.Popen(["stdbuf", "-oL", "playerctl", "--player=orvanta", "--follow", "metadata", "xesam:title"],
                          stdout=subprocess.PIPE, text=True)
seen = {}
def read():
    for line in follow.stdout:
        seen.setdefault(line.strip(), time.perf_counter())
try:
    threading.Thread(target=read, daemon=True).start()
    time.sleep(0.5)  # following
    subprocess.run(["xdotool", "mousemove", "--sync", sys.argv[1], sys.argv[2]], check=True)
    start = time.perf_counter()
    subprocess.run(["xdotool", "click", "1"], check=True)
    status = None
    while time.perf_counter() - start < 5 and status is None:
        out = subprocess.run([sys.argv[3], "status"], capture_output=True, text=True).stdout
        if "frequency: 101.300\n" in out:
            status = time.perf_counter()
    while time.perf_counter() - start < 5 and "101.300 MHz" not in seen:
        time.sleep(0.01)
    if status is None or "101.300 MHz" not in seen:
        print(f"  status changed: {status is not None}; titles followed: {list(seen)}")
        sys.exit(1)
    lag = (seen["101.300 MHz"] - status) * 1000
    print(f"  click on preset key 3 (101.3): the readout in the remote's status after {(status - start) * 1000:.0f} ms, "
          f"the title on the bus {lag:+.0f} ms from that")
    sys.exit(0 if lag < 100 else 1)
finally:
    follow.kill()
    follow.wait()
PY
field_is preset 3 || fail "the click: preset $(field preset)"

# Volume: the nearest 2 dB level step.
for case in 0.5:-6 0.001:-60 1:0 0.3:-10 0:-60 0.85:-2 7:0; do
  set_volume "${case%%:*}" || fail "Volume ${case%%:*}: busctl exited $?"
  # The level shows in the status at its next refresh (at most 250 ms).
  wait_until 3 field_is level "${case##*:}" || fail "Volume ${case%%:*}: level $(field level), expected ${case##*:}"
done
player volume 0.25
wait_until 3 field_is level -12 || fail "playerctl volume 0.25: level $(field level)"
[ "$(prop .Player Volume)" = "d 0.251189" ] || fail "Volume after level -12: $(prop .Player Volume)"
note "Volume 0.5, 0.001, 1, 0.3, 0, 0.85, 7, 0.25: levels -6, -60, 0, -10, -60, -2, 0, -12"
out=$("$REMOTE" status --json) || fail "status --json exited $?"
echo "    $out"

# A second panel takes a name of its own.
mkdir -p "$TEST_DIR/runtime2" "$TEST_DIR/config2"
chmod 700 "$TEST_DIR/runtime2"
XDG_RUNTIME_DIR=$TEST_DIR/runtime2 XDG_CONFIG_HOME=$TEST_DIR/config2 "$APP_DIR/orvanta" > "$TEST_DIR/panel2.log" 2>&1 &
second=$!
EXTRA_PIDS+=("$second")
names() { busctl --user list --no-legend | awk '{ print $1, $2 }'; }
# owns NAME PID: the bus name belongs to that process.
owns() { names | grep -qxF "$1 $2"; }
wait_until 20 owns "$bus_name.instance$second" "$second" || fail "no instance name for the second panel: $(names | grep -i orvanta)"
owns "$bus_name" "$PANEL_PID" || fail "the first panel lost its name: $(names | grep -i orvanta)"
note "second panel: $(names | grep -F "$bus_name.instance")"
kill "$second"; wait "$second" 2>/dev/null

# Quit ends the program and saves, as the remote's quit does.
busctl --user call "$bus_name" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2 Quit || fail "Quit exited $?"
wait_until 10 panel_ended || fail "Quit did not end the program"
setting_is STATION 3 || fail "Quit: STATION is '$(setting STATION)'"
! grep -q "no desktop player controls" "$TEST_DIR/panel.log" || fail "the panel says: $(grep 'player controls' "$TEST_DIR/panel.log")"
note "Quit: ended, STATION=3 saved"
