#!/usr/bin/env bash
# A USB receiver's sound: the fake V4L2 device tunes, and its sound comes in
# on a recording device (SDL's disk driver reads it from a file: 1 kHz left,
# 3 kHz right) that [Audio] CAPTURE names. The panel plays it on the output
# (the disk driver's file, analysed for tones) in the right channels; M
# silences the playback as well as the device.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

fake=$ORVANTA_NATIVE/libfake_radio.so
[ -f "$fake" ] || fail "$fake is missing (build the native preset)"
device=/dev/orvanta-fake-radio

new_test
SOUND=$TEST_DIR/sound.raw
RECORDED=$TEST_DIR/receiver.raw
RADIO_LOG=$TEST_DIR/radio.log
# 30 s of the receiver's programme, signed 16-bit little-endian stereo.
/usr/bin/python3 - "$RECORDED" <<'PY' || fail "could not write the receiver's sound"
import math, struct, sys
rate, seconds = 48000, 30
with open(sys.argv[1], "wb") as f:
    for start in range(0, rate * seconds, rate):
        f.write(b"".join(struct.pack("<hh", int(8000 * math.sin(2 * math.pi * 1000 * n / rate)),
                                     int(8000 * math.sin(2 * math.pi * 3000 * n / rate)))
                         for n in range(start, start + rate)))
PY
printf '[Card]\nMODE=v4l2\nDEVICE=%s\n[Audio]\nCAPTURE=System audio capture device\n[System]\nQuit=0\n' "$device" >> "$INI"
LD_PRELOAD=$fake FAKE_RADIO_PATH=$device FAKE_RADIO_LOG=$RADIO_LOG FAKE_RADIO_STATIONS=98.1 \
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$SOUND SDL_DISKAUDIOFILEIN=$RECORDED \
  "$APP_DIR/orvanta" > "$TEST_DIR/panel.log" 2>&1 &
PANEL_PID=$!
id=$(panel_window) || fail "no window named Orvanta within 30 s"
wait_until 10 grep -q "card: radio receiver $device, its sound from System audio capture device" "$TEST_DIR/panel.log" \
  || fail "standard error does not name the receiver's sound: $(cat "$TEST_DIR/panel.log")"
note "$(grep -m 1 'card:' "$TEST_DIR/panel.log")"


wait_until 15 plays 1000 3000 || fail "the receiver's tones are not played in their channels: $(levels 0.5 1000 3000 | tr '\n' ' ')"
note "plays 1 kHz left and 3 kHz right: $(levels 0.5 1000 3000 | tr '\n' ' ')"
xdotool windowfocus "$id" 2>/dev/null || true
xdotool key --window "$id" m
wait_until 10 silent || fail "M did not silence the playback: $(levels 0.3 | tr '\n' ' ')"
grep -q -x 'MUTE 1' "$RADIO_LOG" || fail "M did not mute the device"
note "M: the playback is silent and the device muted"
xdotool key --window "$id" m
wait_until 10 plays 1000 3000 || fail "M again did not bring the sound back"
panel_running || fail "the program ended"
