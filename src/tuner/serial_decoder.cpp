#include "tuner/serial_decoder.h"

#include "tuner/tuner.h"

namespace orv {

namespace {

constexpr int dividerBits = 16;
constexpr int transferBits = 24;
// The synthesizer: divider = 40 x (f + 10.7 MHz).
constexpr double stepsPerMHz = 40.0;
constexpr double intermediateMHz = 10.7;
constexpr uint8_t controlSoundBit = 0x80;  // set in the sound-on control byte 0x85, clear in 0x25

bool rose(uint8_t before, uint8_t after, uint8_t line) { return !(before & line) && (after & line); }
bool fell(uint8_t before, uint8_t after, uint8_t line) { return (before & line) && !(after & line); }

}  // namespace

SerialDecoder::Events SerialDecoder::write(uint8_t value) {
    Events events;
    const uint8_t before = lines_;
    lines_ = value;

    events.volumeUp = fell(before, value, lineVolumeUp);
    events.volumeDown = fell(before, value, lineVolumeDown);

    if (rose(before, value, lineEnable)) {
        inTransfer_ = true;
        bitCount_ = 0;
        runningDivider_ = 0;
        runningControl_ = 0;
    }
    if (inTransfer_ && (value & lineEnable) && rose(before, value, lineClock)) {
        const unsigned bit = (value & lineData) ? 1u : 0u;
        if (bitCount_ < dividerBits)
            runningDivider_ = uint16_t(runningDivider_ | (bit << bitCount_));
        else
            runningControl_ = uint8_t((runningControl_ << 1) | bit);
        ++bitCount_;
    }
    if (inTransfer_ && fell(before, value, lineEnable)) {
        inTransfer_ = false;
        if (bitCount_ == transferBits) {  // a torn transfer programs nothing
            divider_ = runningDivider_;
            control_ = runningControl_;
            ++transfers_;
            events.transfer = true;
        }
    }
    return events;
}

double SerialDecoder::frequencyMHz() const { return divider_ / stepsPerMHz - intermediateMHz; }

bool SerialDecoder::controlSoundOn() const { return (control_ & controlSoundBit) != 0; }

bool SerialDecoder::muted() const { return !(lines_ & lineSoundOn) || !controlSoundOn(); }

bool SerialDecoder::probing() const { return (lines_ & lineProbe) != 0; }

}  // namespace orv
