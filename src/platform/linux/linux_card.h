// Which card the native program drives, from section "Card": the simulated
// card, the card's port through ioperm, or a Video4Linux2 radio receiver.
// "auto" takes the radio receiver when DEVICE opens as one, else the
// simulated card; it never takes the port, since a root process on a
// machine without the card would write to whatever sits at that address.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/radio_device.h"
#include "platform/platform.h"
#include "tuner/card_mode.h"

namespace orv::linuxcard {

// The kernel interfaces the cards use; tests hand in fakes.
struct CardSystem {
    RadioDevice& radio;
    PortInstructions& ports;
};

// The card's port, opened when the core asks (after the window exists): it
// reads the settings then, opens the card they name, and forwards to it.
class LinuxCardPort : public Port {
public:
    LinuxCardPort(Profile& profile, CardSystem system) : profile_(profile), system_(system) {}
    bool open(std::string& whyNot) override;
    void writeByte(uint16_t port, uint8_t value) override;
    uint8_t readByte(uint16_t port) override;
    uint16_t readWord(uint16_t port) override;
    // What is in use, for the user: "simulated card", "radio receiver /dev/radio0",
    // "card's port 0x30C"; empty before open.
    const std::string& description() const { return description_; }

private:
    Profile& profile_;
    CardSystem system_;
    std::unique_ptr<Port> card_;
    std::string description_;
};

}  // namespace orv::linuxcard
