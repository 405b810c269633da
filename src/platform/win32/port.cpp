// Access to the tuner card's I/O port, chosen once at start-up, after the
// window exists. A port instruction runs only where the system grants it:
// Windows 95/98/ME lets a program execute in/out itself; the NT family needs
// a port driver, reached through the inpout library when one is installed
// beside the program or in the system directory. "Card"/MODE says which card:
// auto (the real one where access is granted, else the simulated card),
// port (the real one or an error) or simulated.
#include "platform/win32/backend.h"

#include <string>

#include "tuner/card_mode.h"
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

#if defined(_WIN64)
const char portDriverName[] = "inpoutx64.dll";
#else
const char portDriverName[] = "inpout32.dll";
#endif

template <typename F>
F procedure(HMODULE library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The library's full path in dir ("" when it is not there).
std::string libraryIn(const std::string& dir, const char* name) {
    if (dir.empty()) return "";
    std::string path = dir;
    if (path.back() != '\\') path += '\\';
    path += name;
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : path;
}

std::string programDirectory() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    std::string dir(path, n);
    size_t cut = dir.find_last_of('\\');
    return cut == std::string::npos ? "" : dir.substr(0, cut);
}

std::string systemDirectory() {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? "" : std::string(path, n);
}

// The port driver library, loaded by its full path from the program's own
// directory or else the system directory, never by bare name through the
// search path (where any folder could plant one).
std::unique_ptr<Port> openDriverPort() {
    std::string path = libraryIn(programDirectory(), portDriverName);
    if (path.empty()) path = libraryIn(systemDirectory(), portDriverName);
    if (path.empty()) return nullptr;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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

// The real card's port where the system grants access, else null.
std::unique_ptr<Port> openRealPort(CardKind& kind) {
#if defined(__i386__)
    if (windows9x()) {
        kind = CardKind::DirectPort;
        return std::make_unique<DirectPort>();
    }
#endif
    if (!windows9x()) {
        if (std::unique_ptr<Port> port = openDriverPort()) {
            kind = CardKind::DriverPort;
            return port;
        }
    }
    return nullptr;
}

}  // namespace

const char* const noPortAccessText =
    "No port access: install the port driver (inpout32.dll) or run on Windows 95/98/ME";

bool CardPort::open(std::string& whyNot) {
    if (card_) return true;
    const CardMode mode = readCardMode(profile_);
    if (mode != CardMode::Simulated) card_ = openRealPort(kind_);
    if (!card_ && mode == CardMode::Port) {
        whyNot = noPortAccessText;
        return false;
    }
    if (!card_) {
        card_ = std::make_unique<SimulatedCard>(readSimulatorConfig(profile_));
        kind_ = CardKind::Simulated;
    }
    return true;
}

void CardPort::writeByte(uint16_t port, uint8_t value) {
    if (card_) card_->writeByte(port, value);
}

uint8_t CardPort::readByte(uint16_t port) {
    return card_ ? card_->readByte(port) : 0xFF;
}

uint16_t CardPort::readWord(uint16_t port) {
    return card_ ? card_->readWord(port) : 0xFFFF;
}

}  // namespace orv::win32
