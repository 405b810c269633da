#include "platform/linux/radio_device.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>
#define ORVANTA_HAS_PORT_IO 1
#endif

namespace orv::linuxcard {

int SystemRadioDevice::open(const char* path) { return ::open(path, O_RDWR | O_CLOEXEC | O_NONBLOCK); }

int SystemRadioDevice::ioctl(int fd, unsigned long request, void* arg) {
    int r;
    do {
        r = ::ioctl(fd, request, arg);
    } while (r == -1 && errno == EINTR);
    return r;
}

long SystemRadioDevice::read(int fd, void* buffer, unsigned long bytes) {
    ssize_t r;
    do {
        r = ::read(fd, buffer, bytes);
    } while (r == -1 && errno == EINTR);
    return long(r);
}

void SystemRadioDevice::close(int fd) { ::close(fd); }

#if defined(ORVANTA_HAS_PORT_IO)
int SystemPortInstructions::grant(unsigned long from, unsigned long count) { return ioperm(from, count, 1); }
void SystemPortInstructions::outByte(uint16_t port, uint8_t value) { outb(value, port); }
uint8_t SystemPortInstructions::inByte(uint16_t port) { return inb(port); }
uint16_t SystemPortInstructions::inWord(uint16_t port) { return inw(port); }
#else
int SystemPortInstructions::grant(unsigned long, unsigned long) {
    errno = ENOSYS;
    return -1;
}
void SystemPortInstructions::outByte(uint16_t, uint8_t) {}
uint8_t SystemPortInstructions::inByte(uint16_t) { return 0xFF; }
uint16_t SystemPortInstructions::inWord(uint16_t) { return 0xFFFF; }
#endif

}  // namespace orv::linuxcard
