// The tuner card's port protocol. Every operation is a fixed sequence of
// port writes and busy waits on the millisecond tick counter.
#include "tuner/tuner.h"

#include <cmath>
#include <limits>

#include "settings/settings.h"
#include "tuner/frequency.h"

namespace orv {

namespace {

// Port levels between operations.
constexpr uint8_t idleSoundOn = 0xC8;
constexpr uint8_t idleMuted = 0xC0;

constexpr int portPauseReads = 121;
constexpr int dividerBits = 16;
constexpr int controlBits = 8;
constexpr int writesPerPhase = 2;  // doubling each write stretches the clock phases

constexpr uint32_t transferSettleMs = 20;
constexpr uint32_t probeMs = 140;
constexpr uint32_t volumePulseMs = 70;

// The divider is 40 x (f + 10.7): one step is 25 kHz; 3948 = 40 x (88 + 10.7).
constexpr double dividerReferenceMHz = 88.0;
constexpr double dividerStepsPerMHz = 40.0;
constexpr int32_t dividerAtReference = 3948;
constexpr int64_t intermediateKHz = 10700;  // the card's 10.7 MHz offset
constexpr int64_t dividerStepKHz = 25;

uint16_t portOf(const App& app) { return uint16_t(app.state.portAddress & 0xFFFF); }

// Presents one bit on the data line, then raises the clock: four writes.
void clockOutBit(App& app, uint8_t working, bool bit) {
    uint8_t value = uint8_t((working & ~(lineClock | lineData)) | (bit ? lineData : 0));
    for (int i = 0; i < writesPerPhase; ++i) app.platform.port.writeByte(portOf(app), value);
    value |= lineClock;
    for (int i = 0; i < writesPerPhase; ++i) app.platform.port.writeByte(portOf(app), value);
}

}  // namespace

void delayMs(Clock& clock, uint32_t ms) {
    // Elapsed time is measured as an unsigned difference, so a wait that
    // spans the counter's wrap lasts its full length instead of ending at
    // once (start + ms wrapped) or hanging for 49 days (counter wrapped).
    const uint32_t start = clock.tickCount();
    while (uint32_t(clock.tickCount() - start) < ms) {
    }
}

void portPause(App& app) {
    for (int i = 0; i < portPauseReads; ++i) app.platform.port.readWord(portOf(app));
}

int32_t dividerFor(float frequency) {
    // Taken from the value the readout shows, cut to the card's 25 kHz, so
    // that 98.1 (the float 98.0999985) is 98.100 MHz on the card as on the
    // panel: divider 4352, not 4351. Values no readout can show (NaN, far
    // outside any band) keep the plain product and saturate instead of overflowing.
    const double f = frequency;
    if (f >= 0.0 && f <= frequencyDigitsLimit) {
        const int64_t kHz = shownKiloHertz(frequencyDigits(f));
        return int32_t((kHz + intermediateKHz) / dividerStepKHz);
    }
    const double steps = (f - dividerReferenceMHz) * dividerStepsPerMHz;
    constexpr double highest = double(std::numeric_limits<int32_t>::max() - dividerAtReference);
    constexpr double lowest = double(std::numeric_limits<int32_t>::min());
    if (std::isnan(steps)) return dividerAtReference;
    if (steps >= highest) return std::numeric_limits<int32_t>::max();
    if (steps <= lowest) return std::numeric_limits<int32_t>::min() + dividerAtReference;
    return dividerAtReference + int32_t(steps);
}

uint8_t idleByte(uint32_t flags) { return (flags & MF_MUTED) ? idleMuted : idleSoundOn; }

void writeSynthesizer(App& app, int32_t divider, uint8_t control) {
    const uint8_t idle = idleByte(app.state.modeFlags);
    const uint8_t working = idle | lineEnable;
    const uint32_t word = uint32_t(divider) & 0xFFFF;
    for (int i = 0; i < dividerBits; ++i) clockOutBit(app, working, (word >> i) & 1);
    for (int i = controlBits - 1; i >= 0; --i) clockOutBit(app, working, (control >> i) & 1);
    app.platform.port.writeByte(portOf(app), idle);
    delayMs(app.platform.clock, transferSettleMs);
}

void tuneFrequency(App& app, float frequency, uint32_t& flags) {
    const uint8_t control = (flags & MF_MUTED) ? app.state.controlMuted : app.state.controlSoundOn;
    writeSynthesizer(app, dividerFor(frequency), control);
    const uint8_t idle = idleByte(flags);
    app.platform.port.writeByte(portOf(app), idle | lineProbe);
    delayMs(app.platform.clock, probeMs);
    const uint8_t status = app.platform.port.readByte(portOf(app));
    if (status & statusNoSignal)
        flags &= ~MF_SIGNAL;
    else
        flags |= MF_SIGNAL;
    app.platform.port.writeByte(portOf(app), idle);
}

void stepVolume(App& app, int direction) {
    const uint8_t idle = idleByte(app.state.modeFlags);
    const uint8_t pulled = direction == volumeDown ? lineVolumeDown : lineVolumeUp;
    app.platform.port.writeByte(portOf(app), uint8_t(idle & ~pulled));
    delayMs(app.platform.clock, volumePulseMs);
    app.platform.port.writeByte(portOf(app), idle);
}

void initControlBytes(App& app) {
    app.state.controlSoundOn = controlByteSoundOn;
    app.state.controlMuted = controlByteMuted;
    readSystemSettings(app);
}

}  // namespace orv
