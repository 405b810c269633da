// A model of the receiver card for machines without one: it decodes the
// bit-banged synthesizer transfer, follows the mute and volume lines and
// answers the status probe from a list of stations. It can write a trace of
// every byte written and read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tuner/serial_decoder.h"

namespace orv {

// "87.6,89.3,...": the stations the card receives when none are configured.
extern const char* const defaultStationList;

// Comma-separated MHz values; items that are empty or not a positive number are skipped.
std::vector<double> parseStationList(const std::string& text);

// Section "Simulator" of the settings file.
struct SimulatorConfig {
    std::vector<double> stationsMHz = parseStationList(defaultStationList);
    std::string tracePath;  // empty: no trace
};

// Reads STATIONS and TRACE (which card is used is "Card"/MODE, card_mode.h).
SimulatorConfig readSimulatorConfig(Profile& profile);

class SimulatedCard : public Port {
public:
    explicit SimulatedCard(SimulatorConfig config = SimulatorConfig());
    ~SimulatedCard() override;
    SimulatedCard(const SimulatedCard&) = delete;
    SimulatedCard& operator=(const SimulatedCard&) = delete;

    // Drives the card's lines; the card answers at whatever port is used.
    void writeByte(uint16_t port, uint8_t value) override;
    // The status byte: 0xFD while the probe line is high and a station lies
    // within half a fine step of the tuned frequency, else 0xFF.
    uint8_t readByte(uint16_t port) override;
    // 0xFFFF: nothing on the card answers word reads. Not traced.
    uint16_t readWord(uint16_t port) override;

    // The last divider and control byte of a complete 24-bit transfer (0 before one).
    uint16_t tunedDivider() const { return decoder_.divider(); }
    uint8_t controlByte() const { return decoder_.control(); }
    // divider / 40 - 10.7 MHz.
    double frequencyMHz() const { return decoder_.frequencyMHz(); }
    // True when a station lies within half a fine step of the tuned frequency.
    bool signal() const;
    // Audio off: the sound line (0x08) is low, or the control byte lacks the sound bit.
    bool muted() const { return decoder_.muted(); }
    int volumeUpPulses() const { return volumeUp_; }
    int volumeDownPulses() const { return volumeDown_; }
    // Complete 24-bit transfers so far; transfers of any other length are discarded.
    int transfers() const { return decoder_.transfers(); }
    uint8_t lastWritten() const { return decoder_.lines(); }

private:
    void trace(const char* format, unsigned a, unsigned b = 0);

    SimulatorConfig config_;
    std::FILE* trace_ = nullptr;
    SerialDecoder decoder_;
    int volumeUp_ = 0;
    int volumeDown_ = 0;
};

}  // namespace orv
