#include "platform/linux/ioperm_port.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orv::linuxcard {

namespace {
// The word read takes the card's address and the next one.
constexpr unsigned long portsGranted = 2;
}  // namespace

std::string portName(uint16_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", unsigned(address));
    return text;
}

bool IopermPort::open(std::string& whyNot) {
    if (granted_) return true;
    if (instructions_.grant(address_, portsGranted) != 0) {
        const int error = errno;
        whyNot = "No port access to " + portName(address_);
        if (error == EPERM || error == EACCES)
            whyNot += ": run as root or grant CAP_SYS_RAWIO";
        else
            whyNot += std::string(": ") + std::strerror(error);
        return false;
    }
    granted_ = true;
    return true;
}

void IopermPort::writeByte(uint16_t port, uint8_t value) {
    if (reaches(port)) instructions_.outByte(port, value);
}

uint8_t IopermPort::readByte(uint16_t port) { return reaches(port) ? instructions_.inByte(port) : 0xFF; }

uint16_t IopermPort::readWord(uint16_t port) { return reaches(port) ? instructions_.inWord(port) : 0xFFFF; }

}  // namespace orv::linuxcard
