// The headless back end: a pixel model of the window and of panelDC, a
// virtual clock, a recording port, scripted message boxes and an event log.
// Tests and the headless renderer drive the core through it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/profile_store.h"

namespace orv {

struct App;

// A tick counter that advances by a fixed step at every reading, so busy
// waits end at once; calendar time and local time are set by the test.
class VirtualClock : public Clock {
public:
    uint32_t tickCount() override;
    int64_t now() override { return seconds; }
    LocalTime localTime() override { return local; }

    uint32_t ticks = 1000;    // the next reading
    uint32_t stepPerRead = 1;
    uint64_t reads = 0;
    int64_t seconds = 1796083200;  // 2026-12-01 00:00:00 UTC
    LocalTime local{10, 30};
};

// One port operation as the core performed it.
struct PortOp {
    char kind;  // 'W' byte write, 'R' byte read, 'V' word read
    uint16_t port;
    uint16_t value;
};

// Records every port operation; forwards to an attached port (for example the
// simulated card), else answers reads with readValue.
class RecordingPort : public Port {
public:
    void writeByte(uint16_t port, uint8_t value) override;
    uint8_t readByte(uint16_t port) override;
    uint16_t readWord(uint16_t port) override;
    // Opening succeeds unless refuseOpen holds a reason; opens are counted.
    bool open(std::string& whyNot) override;

    std::string refuseOpen;
    int opens = 0;
    std::vector<PortOp> ops;
    Port* attached = nullptr;
    std::vector<std::string>* journal = nullptr;  // when set, writes are logged there too
    uint8_t readValue = 0xFF;
    std::vector<uint8_t> writes() const;  // the bytes written, in order
};

// Files from memory (by exact path), else from the disk.
class HeadlessFiles : public Files {
public:
    int open(const char* path) override;
    int32_t read(int handle, void* dest, uint32_t count) override;
    bool seek(int handle, uint32_t offset) override;
    void close(int handle) override;

    std::map<std::string, std::vector<uint8_t>> memory;
    int openCount = 0;  // files currently open
    std::vector<uint32_t> readSizes;  // the size of every read asked for

private:
    struct Open {
        std::vector<uint8_t> data;
        size_t pos = 0;
    };
    std::map<int, Open> open_;
    int next_ = 3;
};

// panelDC as 430 x 344 pixels, the window as a buffer of its client size, and
// a screen for the drag outline. Pixels are 0x00RRGGBB.
class HeadlessDisplay : public Display {
public:
    bool createPalette(const std::vector<PaletteEntry>& entries) override;
    bool createPanelSurface() override;
    bool convertSkin(const uint8_t* info, uint32_t headerSize, const uint8_t* bits, uint32_t bitsSize,
                     bool paletteRelative) override;
    void releaseSkin() override;
    void copy(Target dst, int x, int y, int w, int h, int sx, int sy) override;
    void beginWindowDraw() override { ++drawBrackets; }
    void endWindowDraw() override { --drawBrackets; }
    bool openScreen() override;
    void invertScreen(int x, int y, int w, int h) override;
    void closeScreen() override;

    // Resizes the window buffer, keeping what overlaps; new pixels are black.
    void resizeWindow(int w, int h);
    uint32_t windowPixel(int x, int y) const { return window[size_t(y) * windowWidth + x]; }
    uint32_t skinPixel(int x, int y) const { return skin[size_t(y) * 430 + x]; }

    std::vector<uint32_t> skin;  // empty until createPanelSurface
    std::vector<uint32_t> window;
    int windowWidth = 0, windowHeight = 0;
    std::vector<PaletteEntry> palette;
    bool hasPalette = false;
    bool failPalette = false, failSurface = false;  // scripted failures
    int screenWidth = 1024, screenHeight = 768;
    std::vector<uint32_t> screen;  // drag outline inversions land here
    bool screenOpen = false;
    int drawBrackets = 0;
    uint64_t windowCopies = 0;  // copies to the window
    std::vector<int> copyXs;    // x of every 1-pixel-wide window copy (the wipe)
};

class HeadlessWindow : public Window {
public:
    explicit HeadlessWindow(HeadlessDisplay& display) : display_(display) {}
    bool registerClass() override;
    bool create(int x, int y) override;
    std::string modulePath() override { return modulePathValue; }
    int screenWidth() override { return display_.screenWidth; }
    int screenHeight() override { return display_.screenHeight; }
    // desktop when it is set (several monitors), else the screen.
    Rect desktopArea() override;
    Rect desktop;
    int desktopScale() override { return desktopScaleValue; }
    void setScale(int scale) override { panelScale = scale; }
    int scale() override { return panelScale; }
    int desktopScaleValue = 1;  // what the "system" tells
    int panelScale = 1;         // what the core chose
    int borderWidth() override { return 1; }
    int borderHeight() override { return 1; }
    uint32_t registerMessage(const char* name) override;
    void show(int showCommand) override;
    int runMessageLoop() override;
    void setTimer(unsigned id, unsigned periodMs) override;
    void killTimer(unsigned id) override;
    void place(int x, int y, bool topmost) override;
    void move(int x, int y, int w, int h, bool repaint) override;
    Rect screenRect() override;
    Point cursorClientPos() override { return cursor; }
    void setArrowCursor() override { ++arrowCursorSets; }
    void captureMouse() override { captured = true; }
    void releaseMouse() override { captured = false; }
    void setTitle(const char* t) override { title = t; }
    void minimize() override { minimized = true; }
    void invalidate() override { ++invalidations; }
    void beginPaint() override { ++paintDepth; }
    void endPaint() override { --paintDepth; }
    void paintNow() override;
    void postQuit(int exitCode) override;
    void destroy() override;

    App* app = nullptr;  // the core that receives creation, paint and destruction
    std::string modulePathValue = "C:\\Orvanta\\orvanta.exe";
    bool failRegister = false, failCreate = false;
    bool exists = false, shown = false, minimized = false, captured = false, topmost = false;
    int x = 0, y = 0, width = 0, height = 0;
    std::string title;
    std::map<unsigned, unsigned> timers;  // running timers: id -> period
    std::map<std::string, uint32_t> messages;
    Point cursor;
    int arrowCursorSets = 0, invalidations = 0, paintDepth = 0;
    bool quitPosted = false;
    int quitCode = -1;
    std::vector<std::string> log;  // what the core asked, in order

private:
    HeadlessDisplay& display_;
};

struct ShownBox {
    std::string text, title;
    BoxKind kind;
};

class HeadlessDialogs : public Dialogs {
public:
    BoxAnswer messageBox(const char* text, const char* title, BoxKind kind) override;
    HelpResult showHelp(const char* path, std::string& shownFile) override {
        helpOpened.push_back(path);
        shownFile = helpShownFile.empty() ? path : helpShownFile;
        return helpResult;
    }
    void closeHelp(const char* path) override { helpClosed.push_back(path); }

    std::vector<ShownBox> boxes;
    std::deque<BoxAnswer> answers;  // scripted; Ok (or Cancel for questions) when empty
    std::function<void()> whileOpen;  // runs while a box is "open" (timers, paints)
    std::vector<std::string> helpOpened;
    HelpResult helpResult = HelpResult::Opened;  // scripted outcome of showHelp
    std::string helpShownFile;                   // scripted file it names ("" = the path asked for)
    std::vector<std::string> helpClosed;
};

// All headless pieces together, with the settings in a file of its own.
class Headless {
public:
    // settingsPath: where the portable settings file lives ("" picks a fresh temporary file).
    explicit Headless(const std::string& settingsPath = "");
    ~Headless();
    Headless(const Headless&) = delete;
    Headless& operator=(const Headless&) = delete;

    VirtualClock clock;
    RecordingPort port;
    std::unique_ptr<ProfileStore> profile;
    HeadlessFiles files;
    HeadlessDisplay display;
    HeadlessWindow window{display};
    HeadlessDialogs dialogs;
    Platform platform;

    // Starts logging port writes into window.log, interleaved with the window's calls.
    void journalPortWrites() { port.journal = &window.log; }

private:
    bool ownsSettings_ = false;
};

}  // namespace orv
