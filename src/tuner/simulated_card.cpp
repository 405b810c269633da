// The simulated receiver card.
#include "tuner/simulated_card.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "tuner/tuner.h"

namespace orv {

const char* const defaultStationList = "87.6,89.3,91.4,94.8,98.1,101.3,104.6,106.9";

namespace {

constexpr const char* sectionSimulator = "Simulator";
constexpr size_t listChars = 4096;
constexpr size_t pathChars = 4096;


constexpr double halfFineStepMHz = 0.0125;
constexpr double matchSlackMHz = 1e-9;  // the exact half step still counts

constexpr uint8_t statusSignal = 0xFD;     // undriven lines read high; the status line pulled low
constexpr uint8_t statusNone = 0xFF;
constexpr uint16_t wordNone = 0xFFFF;


std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

}  // namespace

std::vector<double> parseStationList(const std::string& text) {
    std::vector<double> stations;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = trimmed(text.substr(pos, comma - pos));
        pos = comma + 1;
        if (item.empty()) continue;
        char* end = nullptr;
        const double mhz = std::strtod(item.c_str(), &end);
        if (end != item.c_str() + item.size()) continue;  // not wholly a number
        if (!std::isfinite(mhz) || mhz <= 0.0) continue;
        stations.push_back(mhz);
    }
    return stations;
}

SimulatorConfig readSimulatorConfig(Profile& profile) {
    SimulatorConfig config;
    config.stationsMHz = parseStationList(profile.readText(sectionSimulator, "STATIONS", defaultStationList, listChars));
    config.tracePath = trimmed(profile.readText(sectionSimulator, "TRACE", "", pathChars));
    return config;
}

SimulatedCard::SimulatedCard(SimulatorConfig config) : config_(std::move(config)) {
    if (!config_.tracePath.empty()) trace_ = std::fopen(config_.tracePath.c_str(), "ab");
}

SimulatedCard::~SimulatedCard() {
    if (trace_) std::fclose(trace_);
}

void SimulatedCard::trace(const char* format, unsigned a, unsigned b) {
    if (!trace_) return;
    std::fprintf(trace_, format, a, b);
    std::fflush(trace_);
}

void SimulatedCard::writeByte(uint16_t, uint8_t value) {
    trace("W %02X\n", value);
    const SerialDecoder::Events events = decoder_.write(value);
    if (events.volumeUp) ++volumeUp_;
    if (events.volumeDown) ++volumeDown_;
    if (events.transfer) trace("T %u %02X\n", decoder_.divider(), decoder_.control());
}

uint8_t SimulatedCard::readByte(uint16_t) {
    const uint8_t status = (decoder_.probing() && signal()) ? statusSignal : statusNone;
    trace("R %02X\n", status);
    return status;
}

uint16_t SimulatedCard::readWord(uint16_t) { return wordNone; }

bool SimulatedCard::signal() const {
    if (decoder_.transfers() == 0) return false;
    const double tuned = frequencyMHz();
    for (double station : config_.stationsMHz)
        if (std::fabs(station - tuned) <= halfFineStepMHz + matchSlackMHz) return true;
    return false;
}


}  // namespace orv
