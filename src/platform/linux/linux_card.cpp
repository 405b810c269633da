#include "platform/linux/linux_card.h"

#include <cstdlib>

#include "platform/linux/ioperm_port.h"
#include "platform/linux/v4l2_radio.h"
#include "settings/settings.h"
#include "tuner/simulated_card.h"

namespace orv::linuxcard {

namespace {

constexpr size_t deviceChars = 4096;
constexpr int maxSignal = 65535;

RadioSettings readRadioSettings(Profile& profile) {
    RadioSettings settings;
    const std::string device = profile.readText("Card", "DEVICE", "", deviceChars);
    if (!device.empty()) settings.device = device;
    const int threshold = profile.readInt("Card", "THRESHOLD", defaultSignalThreshold);
    settings.signalThreshold = threshold < 0 ? 0 : threshold > maxSignal ? maxSignal : threshold;
    return settings;
}

// Ports below 0x100 belong to the system board (timer, DMA, interrupt
// controllers); no card sits there, and writing to them can hang the machine.
constexpr uint16_t firstCardPort = 0x100;

// The port address the core will use: "SYSTEM"/ADDR in hexadecimal, as the core reads it.
uint16_t readPortAddress(Profile& profile) {
    return uint16_t(parseHex(profile.readString("SYSTEM", "ADDR", "30C").c_str()) & 0xFFFF);
}

}  // namespace

bool LinuxCardPort::open(std::string& whyNot) {
    if (card_) return true;
    const CardMode mode = readCardMode(profile_);
    if (mode == CardMode::Port) {
        const uint16_t address = readPortAddress(profile_);
        if (address < firstCardPort) {
            whyNot = "No port access to " + portName(address) + ": that port belongs to the system board; set [SYSTEM] ADDR to the card's port";
            return false;
        }
        auto port = std::make_unique<IopermPort>(system_.ports, address);
        if (!port->open(whyNot)) return false;
        card_ = std::move(port);
        description_ = "card's port " + portName(address);
        return true;
    }
    if (mode == CardMode::V4l2 || mode == CardMode::Auto) {
        const RadioSettings settings = readRadioSettings(profile_);
        auto radio = std::make_unique<V4l2Radio>(system_.radio, settings);
        std::string why;
        if (radio->open(why)) {
            card_ = std::move(radio);
            description_ = "radio receiver " + settings.device;
            return true;
        }
        if (mode == CardMode::V4l2) {
            whyNot = why;
            return false;
        }
    }
    card_ = std::make_unique<SimulatedCard>(readSimulatorConfig(profile_));
    description_ = "simulated card";
    return true;
}

void LinuxCardPort::writeByte(uint16_t port, uint8_t value) {
    if (card_) card_->writeByte(port, value);
}

uint8_t LinuxCardPort::readByte(uint16_t port) { return card_ ? card_->readByte(port) : 0xFF; }

uint16_t LinuxCardPort::readWord(uint16_t port) { return card_ ? card_->readWord(port) : 0xFFFF; }

}  // namespace orv::linuxcard
