#!/usr/bin/env bash
# The native program on an SDR: our fake SoapySDR module (driver orvantafake,
# stations 98.1 MHz with 1 kHz left and 3 kHz right, 98.6 MHz with 2 kHz left
# and 4 kHz right) and SDL's disk sound driver, whose file is analysed for
# tones. A preset click plays 98.1 in the right channels and lights the lamp,
# and its RDS name reaches the remote's status; seek stops at 98.6 (whose
# scrolling name replaces it); M silences; each volume pulse moves the level 2 dB;
# the device pulled out goes silent and plays on when it is back. Named and
# not found, an error box ends the program before any setting is written.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

module_dir=$ORVANTA_NATIVE/fake_sdr
[ -f "$module_dir/liborvantafake.so" ] || fail "$module_dir/liborvantafake.so is missing (build the native preset)"

new_test
SOUND=$TEST_DIR/sound.raw
GONE=$TEST_DIR/unplugged
SDR_LOG=$TEST_DIR/sdr.log
printf '[Card]\nMODE=sdr\nSDR=driver=orvantafake\n[RadioStation]\nStation3=98.100000\n[System]\nQuit=0\n' >> "$INI"
export SOAPY_SDR_ROOT=/nonexistent SOAPY_SDR_PLUGIN_PATH=$module_dir
export FAKE_SDR_STATIONS=98.1,98.6 FAKE_SDR_GONE_FILE=$GONE FAKE_SDR_LOG=$SDR_LOG
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$SOUND

field() { "$REMOTE" status 2>/dev/null | awk -v k="$1" 'index($0, k ": ") == 1 { print substr($0, length(k) + 3); exit }'; }
field_is() { [ "$(field "$1")" = "$2" ]; }
last_freq() { grep '^FREQ' "$SDR_LOG" 2>/dev/null | tail -n 1 | cut -d' ' -f2; }
freq_is() { [ "$(last_freq)" = "$1" ]; }

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
wait_until 5 tuned_lamp_lit "$id" || fail "preset 98.1: the TUNED lamp is not lit"
sleep 1
plays 1000 3000 || fail "preset 98.1: not 1 kHz left and 3 kHz right: $(levels 0.5 1000 3000 | tr '\n' ' ')"
wait_until 5 field_is station "ORVANTA" || fail "preset 98.1: status station '$(field station)'"
note "preset key 3: SDR at 97.844 MHz, lamp lit, $(levels 0.5 1000 3000 | tr '\n' ' '), station $(field station)"

xdotool mousemove --sync $((X + 340)) $((Y + 92)) click 1  # seek up
wait_until 30 freq_is 98344000 || fail "seek up: the SDR is at '$(last_freq)', expected 98344000"
steps=$(grep -c '^FREQ' "$SDR_LOG")
sleep 1
[ "$(grep -c '^FREQ' "$SDR_LOG")" = "$steps" ] || fail "the seek went on past 98.6 MHz: $(last_freq)"
wait_until 5 tuned_lamp_lit "$id" || fail "seek: the TUNED lamp is not lit at 98.6"
plays 2000 4000 || fail "98.6: not 2 kHz left and 4 kHz right: $(levels 0.5 2000 4000 | tr '\n' ' ')"
wait_until 5 field_is pi C302 || fail "98.6: status pi '$(field pi)'"
note "seek up: stopped at 98.6 MHz, lamp lit, 2 kHz left, 4 kHz right, PI C302"

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
plays 2000 4000 || fail "M again: not playing: $(levels 0.5 2000 4000 | tr "\n" " ")"
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
! tuned_lamp_lit "$id" || fail "pulled out: the TUNED lamp is lit"
rm -f "$GONE"
tuned_again() { [ "$(grep -c '^FREQ' "$SDR_LOG")" -gt "$tunings" ]; }
wait_until 5 tuned_again || fail "plugged in again: the SDR was not tuned again"
freq_is 98344000 || fail "plugged in again: the SDR is at '$(last_freq)', expected the panel's 98344000"
sleep 1.2
plays 2000 4000 || fail "plugged in again: not playing: $(levels 0.5 2000 4000 | tr '\n' ' ')"
note "pulled out: silent, no signal, the panel kept working; back: plays 98.6 again"

xdotool key --window "$id" q 2>/dev/null
wait_until 10 panel_ended || fail "Q did not end the program"
note "$(grep 'sound:' "$TEST_DIR/panel.log" || echo 'no underruns or overruns')"
