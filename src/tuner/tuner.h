// The tuner card's port protocol: the synthesizer's 24-bit serial transfer,
// the status probe, the mute line and the volume pulses.
#pragma once

#include <cstdint>

#include "shell/receiver_state.h"

namespace orv {

// Port output lines.
constexpr uint8_t lineEnable = 0x01;
constexpr uint8_t lineClock = 0x02;
constexpr uint8_t lineData = 0x04;
constexpr uint8_t lineSoundOn = 0x08;
constexpr uint8_t lineProbe = 0x10;
constexpr uint8_t lineVolumeUp = 0x40;    // pulled low to step up
constexpr uint8_t lineVolumeDown = 0x80;  // pulled low to step down
// Port input: the status line is low when a station is received.
constexpr uint8_t statusNoSignal = 0x02;

constexpr uint8_t controlByteSoundOn = 0x85;
constexpr uint8_t controlByteMuted = 0x25;

constexpr int volumeDown = 1;  // stepVolume direction; any other value steps up
constexpr int volumeUp = 2;

// Busy-waits on the tick counter until ms milliseconds have passed.
void delayMs(Clock& clock, uint32_t ms);
// 121 word reads of the port: a pause shorter than a millisecond.
void portPause(App& app);
// The divider word for a frequency in MHz: 40 x (shown f + 10.7), the shown
// frequency cut to 25 kHz, so the card plays what the readout shows.
int32_t dividerFor(float frequency);
// The byte the port rests at: 0xC8 with sound, 0xC0 muted.
uint8_t idleByte(uint32_t flags);
// Clocks divider (low 16 bits, LSB first) and control (MSB first) out of the port, then waits 20 ms.
void writeSynthesizer(App& app, int32_t divider, uint8_t control);
// Programs the card to frequency with the mute state of flags, probes the
// status line and sets or clears MF_SIGNAL in flags.
void tuneFrequency(App& app, float frequency, uint32_t& flags);
// One volume pulse: direction 1 steps down, anything else up.
void stepVolume(App& app, int direction);
// Sets the two control bytes and reads the port address and band edge.
void initControlBytes(App& app);

}  // namespace orv
