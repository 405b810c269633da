// The seam between the Linux card models and the kernel: open, ioctl and
// close of a device file, and the port instructions. Tests put fakes here, so
// that no test ever opens a real radio or executes a real port instruction.
#pragma once

#include <cstdint>

namespace orv::linuxcard {

// A Video4Linux2 device file.
class RadioDevice {
public:
    virtual ~RadioDevice() = default;
    // Opens path for reading and writing, reads not waiting; a descriptor
    // >= 0, or -1 with errno set.
    virtual int open(const char* path) = 0;
    // ioctl(fd, request, arg); -1 with errno set on failure.
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    // read(fd, buffer, bytes) without waiting (RDS blocks): the bytes read,
    // or -1 with errno set (EAGAIN: nothing there yet).
    virtual long read(int fd, void* buffer, unsigned long bytes) = 0;
    // Closes fd.
    virtual void close(int fd) = 0;
};

// The system's own open, ioctl and close.
class SystemRadioDevice : public RadioDevice {
public:
    int open(const char* path) override;
    int ioctl(int fd, unsigned long request, void* arg) override;
    long read(int fd, void* buffer, unsigned long bytes) override;
    void close(int fd) override;
};

// Port access on the I/O bus.
class PortInstructions {
public:
    virtual ~PortInstructions() = default;
    // ioperm(from, count, 1): 0, or -1 with errno set.
    virtual int grant(unsigned long from, unsigned long count) = 0;
    virtual void outByte(uint16_t port, uint8_t value) = 0;
    virtual uint8_t inByte(uint16_t port) = 0;
    virtual uint16_t inWord(uint16_t port) = 0;
};

// ioperm and the in and out instructions themselves (x86 only; elsewhere
// grant fails with ENOSYS and nothing is executed).
class SystemPortInstructions : public PortInstructions {
public:
    int grant(unsigned long from, unsigned long count) override;
    void outByte(uint16_t port, uint8_t value) override;
    uint8_t inByte(uint16_t port) override;
    uint16_t inWord(uint16_t port) override;
};

}  // namespace orv::linuxcard
