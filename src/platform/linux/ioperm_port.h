// The card on the I/O bus, reached through ioperm: byte and word operations
// at portAddress and nowhere else.
#pragma once

#include <string>

#include "platform/linux/radio_device.h"
#include "platform/platform.h"

namespace orv::linuxcard {

class IopermPort : public Port {
public:
    IopermPort(PortInstructions& instructions, uint16_t address)
        : instructions_(instructions), address_(address) {}
    // Asks for access to the card's port (root or CAP_SYS_RAWIO); whyNot says why not.
    bool open(std::string& whyNot) override;
    // Operations reach the port only at the card's address, once access is granted.
    void writeByte(uint16_t port, uint8_t value) override;
    uint8_t readByte(uint16_t port) override;
    uint16_t readWord(uint16_t port) override;

private:
    bool reaches(uint16_t port) const { return granted_ && port == address_; }

    PortInstructions& instructions_;
    uint16_t address_;
    bool granted_ = false;
};

// "0x30C"
std::string portName(uint16_t address);

}  // namespace orv::linuxcard
