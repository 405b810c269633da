#!/usr/bin/env bash
# The native program on an SDR: our fake SoapySDR module (driver orvantafake,
# stations 98.1 MHz with 1 kHz left and 3 kHz right, 98.6 MHz with 2 kHz left
# and 4 kHz right) and SDL's disk sound driver, whose file is analysed for
# tones. A preset click plays 98.1 in the right channels and lights the lamp;
# seek stops at 98.6; M silences; each volume pulse moves the level 2 dB;
# the device pulled out goes silent and plays on when it is back. Named and
# not found, an error box ends the program before any setting is written.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

module_dir=$ORVANTA_NATIVE/fake_sdr
[ -f "$module_dir/liborvantafake.so" ] || fail "$module_dir/liborvantafake.so is missing (build the native preset)"
TONES=$ORVANTA_NATIVE/tone_levels
bytes_per_second=192000  # 48 kHz, two channels of 16 bits

new_test
SOUND=$TEST_DIR/sound.raw
GONE=$TEST_DIR/unplugged
SDR_LOG=$TEST_DIR/sdr.log
printf '[Card]\nMODE=sdr\nSDR=driver=orvantafake\n[RadioStation]\nStation3=98.100000\n[System]\nQuit=0\n' >> "$INI"
export SOAPY_SDR_ROOT=/nonexistent SOAPY_SDR_PLUGIN_PATH=$module_dir
export FAKE_SDR_STATIONS=98.1,98.6 FAKE_SDR_GONE_FILE=$GONE FAKE_SDR_LOG=$SDR_LOG
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$SOUND

last_freq() { grep '^FREQ' "$SDR_LOG" 2>/dev/null | tail -n 1 | cut -d' ' -f2; }
freq_is() { [ "$(last_freq)" = "$1" ]; }
# Seconds of sound written so far.
sound_seconds() { echo "scale=3; $(stat -c %s "$SOUND" 2>/dev/null || echo 0) / $bytes_per_second" | bc; }
# levels SECONDS HZ...: the tone levels (dBFS, "HZ LEFT RIGHT") in the last SECONDS written.
levels() {
  local span=$1; shift
  local start; start=$(echo "scale=3; $(sound_seconds) - $span" | bc)
  "$TONES" "$SOUND" "$start" "$span" "$@"
}
# level_of OUTPUT HZ CHANNEL(2 left, 3 right): one number from levels' output.
level_of() { echo "$1" | awk -v hz="$2" -v c="$3" '$1 == hz { print $c }'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d) }'; }

# The two stations' tones in their own channels, over the last half second.
plays() {
  local out left right; out=$(levels 0.5 "$2" "$3") || return 1
  left=$(level_of "$out" "$2" 2); right=$(level_of "$out" "$3" 3)
  above "$left" -40 && above "$right" -40 &&
    above "$left" "$(awk -v x="$(level_of "$out" "$2" 3)" 'BEGIN { print x + 20 }')" &&
    above "$right" "$(awk -v x="$(level_of "$out" "$3" 2)" 'BEGIN { print x + 20 }')"
}
silent() { local out; out=$(levels 0.3) || return 1; ! above "$(echo "$out" | awk '$1 == "rms" { print ($2 > $3 ? $2 : $3) }')" -70; }

# Named and not there: an error box, the program ends, no setting written.
touch "$GONE"
cp "$INI" "$TEST_DIR/before.ini"
start_panel
answer_box Error Return || fail "unplugged SDR named: no error box"
wait_until 10 panel_ended || fail "the program did not end after the error box"
cmp -s "$INI" "$TEST_DIR/before.ini" || fail "the settings were written although the SDR was missing"
note "named and missing: error box, ended, settings untouched"
rm -f "$GONE"

start_panel
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 grep -q "card: SDR driver=orvantafake (Orvanta test SDR)" "$TEST_DIR/panel.log" \
  || fail "standard error does not name the SDR: $(cat "$TEST_DIR/panel.log")"
sleep 0.5

window_geometry "$id"
xdotool mousemove --sync $((X + 250)) $((Y + 25)) click 1  # preset key 3
wait_until 5 freq_is 97844000 || fail "preset 98.1: the SDR is at '$(last_freq)', expected 97844000 (256 kHz below)"
convert "$ORVANTA_NATIVE/text.dat" -crop 29x10+360+220 +repage "$TEST_DIR/lit.png" 2>/dev/null \
  || convert "bmp:$ORVANTA_NATIVE/text.dat" -crop 29x10+360+220 +repage "$TEST_DIR/lit.png"
lamp_lit() {
  import -window "$id" "$TEST_DIR/panel.png" 2>/dev/null || return 1
  convert "$TEST_DIR/panel.png" -crop 29x10+44+22 +repage "$TEST_DIR/lamp.png"
  [ "$(compare -metric AE "$TEST_DIR/lamp.png" "$TEST_DIR/lit.png" null: 2>&1)" = 0 ]
}
wait_until 5 lamp_lit || fail "preset 98.1: the TUNED lamp is not lit"
sleep 1
plays 98.1 1000 3000 || fail "preset 98.1: not 1 kHz left and 3 kHz right: $(levels 0.5 1000 3000 | tr '\n' ' ')"
note "preset key 3: SDR at 97.844 MHz, lamp lit, $(levels 0.5 1000 3000 | tr '\n' ' ')"

xdotool mousemove --sync $((X + 340)) $((Y + 92)) click 1  # seek up
wait_until 30 freq_is 98344000 || fail "seek up: the SDR is at '$(last_freq)', expected 98344000"
steps=$(grep -c '^FREQ' "$SDR_LOG")
sleep 1
[ "$(grep -c '^FREQ' "$SDR_LOG")" = "$steps" ] || fail "the seek went on past 98.6 MHz: $(last_freq)"
wait_until 5 lamp_lit || fail "seek: the TUNED lamp is not lit at 98.6"
plays 98.6 2000 4000 || fail "98.6: not 2 kHz left and 4 kHz right: $(levels 0.5 2000 4000 | tr '\n' ' ')"
note "seek up: stopped at 98.6 MHz, lamp lit, 2 kHz left, 4 kHz right"

before=$(level_of "$(levels 0.5 2000)" 2000 2)
xdotool mousemove --sync $((X + 155)) $((Y + 92)) click 1  # volume up
wait_until 5 setting_is LEVEL -8 || fail "volume up: LEVEL is '$(setting LEVEL)', expected -8"
sleep 1
after=$(level_of "$(levels 0.5 2000)" 2000 2)
near "$(awk -v a="$after" -v b="$before" 'BEGIN { print a - b }')" 2 0.6 || fail "volume up: the tone went from $before to $after dB"
"$REMOTE" volume down && "$REMOTE" volume down || fail "orvanta-remote volume down failed"
wait_until 5 setting_is LEVEL -12 || fail "two pulses down: LEVEL is '$(setting LEVEL)', expected -12"
sleep 1
lower=$(level_of "$(levels 0.5 2000)" 2000 2)
near "$(awk -v a="$lower" -v b="$after" 'BEGIN { print a - b }')" -4 0.6 || fail "volume down twice: the tone went from $after to $lower dB"
note "volume: $before dB, up $after dB (LEVEL -8), two down $lower dB (LEVEL -12)"

xdotool key --window "$id" m
sleep 0.4
silent || fail "M: not silent: $(levels 0.3 | tr '\n' ' ')"
xdotool key --window "$id" m
sleep 1
plays 98.6 2000 4000 || fail "M again: not playing: $(levels 0.5 2000 4000 | tr "\n" " ")"
note "M: silent, M again: plays"

tunings=$(grep -c '^FREQ' "$SDR_LOG")
touch "$GONE"
sleep 0.8
silent || fail "pulled out: not silent"
panel_running || fail "pulled out: the program ended"
xdotool key --window "$id" Right  # the panel still tunes
sleep 0.3
xdotool key --window "$id" Left
sleep 0.5
! lamp_lit || fail "pulled out: the TUNED lamp is lit"
rm -f "$GONE"
tuned_again() { [ "$(grep -c '^FREQ' "$SDR_LOG")" -gt "$tunings" ]; }
wait_until 5 tuned_again || fail "plugged in again: the SDR was not tuned again"
freq_is 98344000 || fail "plugged in again: the SDR is at '$(last_freq)', expected the panel's 98344000"
sleep 1.2
plays 98.6 2000 4000 || fail "plugged in again: not playing: $(levels 0.5 2000 4000 | tr '\n' ' ')"
note "pulled out: silent, no signal, the panel kept working; back: plays 98.6 again"

xdotool key --window "$id" q 2>/dev/null
wait_until 10 panel_ended || fail "Q did not end the program"
note "$(grep 'sound:' "$TEST_DIR/panel.log" || echo 'no underruns or overruns')"
