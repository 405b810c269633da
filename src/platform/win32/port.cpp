// Access to the tuner card's I/O port, chosen once at start-up. A port
// instruction runs only where the system grants it: Windows 95/98/ME lets a
// program execute in/out itself; the NT family needs a port driver, reached
// through the inpout library when one is installed. Everywhere else, and
// whenever the settings ask for it, the simulated card answers.
#include "platform/win32/backend.h"

#include "tuner/simulated_card.h"

namespace orv::win32 {

namespace {

#if defined(__i386__)
// The in and out instructions themselves (Windows 95/98/ME only).
class DirectPort : public Port {
public:
    void writeByte(uint16_t port, uint8_t value) override {
        __asm__ volatile("outb %0, %1" : : "a"(value), "Nd"(port));
    }
    uint8_t readByte(uint16_t port) override {
        uint8_t value;
        __asm__ volatile("inb %1, %0" : "=a"(value) : "Nd"(port));
        return value;
    }
    uint16_t readWord(uint16_t port) override {
        uint16_t value;
        __asm__ volatile("inw %1, %0" : "=a"(value) : "Nd"(port));
        return value;
    }
};
#endif

// The inpout32 / inpoutx64 interface: Out32 and Inp32 (stdcall).
class DriverPort : public Port {
public:
    using Out32 = void(WINAPI*)(short port, short data);
    using Inp32 = short(WINAPI*)(short port);
    using InpWord = unsigned short(WINAPI*)(unsigned short port);
    DriverPort(HMODULE library, Out32 out, Inp32 in, InpWord inWord)
        : library_(library), out_(out), in_(in), inWord_(inWord) {}
    ~DriverPort() override { FreeLibrary(library_); }
    DriverPort(const DriverPort&) = delete;
    DriverPort& operator=(const DriverPort&) = delete;

    void writeByte(uint16_t port, uint8_t value) override { out_(short(port), short(value)); }
    uint8_t readByte(uint16_t port) override { return uint8_t(in_(short(port))); }
    // The driver's word read where the library has one; else two byte reads
    // of the same port, so that no other address is ever touched.
    uint16_t readWord(uint16_t port) override {
        if (inWord_) return inWord_(port);
        return uint16_t(readByte(port) | (readByte(port) << 8));
    }

private:
    HMODULE library_;
    Out32 out_;
    Inp32 in_;
    InpWord inWord_;
};

bool windows9x() {
    return (GetVersion() & 0x80000000u) != 0;
}

template <typename F>
F procedure(HMODULE library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::unique_ptr<Port> openDriverPort() {
#if defined(_WIN64)
    const char* name = "inpoutx64.dll";
#else
    const char* name = "inpout32.dll";
#endif
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(name);
    SetErrorMode(oldMode);
    if (!library) return nullptr;
    auto out = procedure<DriverPort::Out32>(library, "Out32");
    auto in = procedure<DriverPort::Inp32>(library, "Inp32");
    using IsOpen = BOOL(WINAPI*)();
    auto isOpen = procedure<IsOpen>(library, "IsInpOutDriverOpen");
    if (!out || !in || (isOpen && !isOpen())) {  // the library loaded but its driver did not
        FreeLibrary(library);
        return nullptr;
    }
    auto inWord = procedure<DriverPort::InpWord>(library, "DlPortReadPortUshort");
    return std::make_unique<DriverPort>(library, out, in, inWord);
}

}  // namespace

std::unique_ptr<Port> openPort(Profile& profile) {
    SimulatorConfig config = readSimulatorConfig(profile);
    if (!config.forceSimulated) {
#if defined(__i386__)
        if (windows9x()) return std::make_unique<DirectPort>();
#endif
        if (!windows9x()) {
            if (std::unique_ptr<Port> port = openDriverPort()) return port;
        }
    }
    return std::make_unique<SimulatedCard>(config);
}

}  // namespace orv::win32
