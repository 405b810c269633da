// What the card makes of its port lines: the bit-banged 24-bit synthesizer
// transfer (enable, clock and data; divider LSB first, control MSB first),
// the volume pulses and the probe line. Every model of the card (the
// simulated one, a radio receiver behind it) decodes through this.
#pragma once

#include <cstdint>

namespace orv {

class SerialDecoder {
public:
    // What one write completed.
    struct Events {
        bool transfer = false;    // a whole 24-bit transfer ended (torn ones end nothing)
        bool volumeUp = false;    // the volume-up line was pulled low
        bool volumeDown = false;  // the volume-down line was pulled low
    };

    // Takes the port byte as written.
    Events write(uint8_t value);

    // The last complete transfer's divider and control byte (0 before one).
    uint16_t divider() const { return divider_; }
    uint8_t control() const { return control_; }
    int transfers() const { return transfers_; }
    // divider / 40 - 10.7 MHz.
    double frequencyMHz() const;
    // Audio off: the sound line is low, or the control byte lacks the sound bit.
    bool muted() const;
    // The last control byte asks for sound.
    bool controlSoundOn() const;
    // The probe line is high: the status read tells about a station.
    bool probing() const;
    uint8_t lines() const { return lines_; }

private:
    uint8_t lines_ = 0xC0;  // lines at rest, sound off
    bool inTransfer_ = false;
    int bitCount_ = 0;
    uint16_t runningDivider_ = 0;
    uint8_t runningControl_ = 0;
    uint16_t divider_ = 0;
    uint8_t control_ = 0;
    int transfers_ = 0;
};

}  // namespace orv
