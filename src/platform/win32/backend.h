// The win32 back end: the platform interfaces on USER32, GDI32 and KERNEL32,
// and the entry points that decode window messages for the core.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "settings/profile_location.h"

namespace orv {

struct App;

namespace win32 {

class CardPort;

// What the entry points and the interfaces share: the program instance, the
// panel window (known from its first message on) and the core that gets events.
struct Session {
    HINSTANCE instance = nullptr;
    HWND hwnd = nullptr;
    App* app = nullptr;
    CardPort* card = nullptr;
    Window* window = nullptr;  // the panel window's interface, for its scale
};
Session& session();

class SystemClock : public Clock {
public:
    uint32_t tickCount() override;
    int64_t now() override;
    LocalTime localTime() override;
};

// The profile functions on "orvanta.ini": the bare name (the Windows
// directory), or %APPDATA%\Orvanta\orvanta.ini where that file exists or the
// Windows directory cannot be written (settings/profile_location.h).
class IniProfile : public Profile {
public:
    IniProfile();
    std::string readText(const char* section, const char* key, const char* def,
                         size_t maxChars) override;
    int readInt(const char* section, const char* key, int def) override;
    void writeString(const char* section, const char* key, const char* value) override;

private:
    std::string path_;
    std::string folder_;  // created before the first write; empty for the bare name
};

class FileReader : public Files {
public:
    int open(const char* path) override;
    int32_t read(int handle, void* dest, uint32_t count) override;
    bool seek(int handle, uint32_t offset) override;
    void close(int handle) override;
};

class GdiDisplay : public Display {
public:
    bool createPalette(const std::vector<PaletteEntry>& entries) override;
    bool createPanelSurface() override;
    bool convertSkin(const uint8_t* info, uint32_t headerSize, const uint8_t* bits,
                     uint32_t bitsSize, bool paletteRelative) override;
    void releaseSkin() override;
    void copy(Target dst, int x, int y, int w, int h, int sx, int sy) override;
    void beginWindowDraw() override;
    void endWindowDraw() override;
    bool openScreen() override;
    void invertScreen(int x, int y, int w, int h) override;
    void closeScreen() override;
    // Each panel pixel shows as a block of scale x scale window pixels.
    void setScale(int scale) { scale_ = scale; }

private:
    void selectSkinBitmap(bool selected);

    HPALETTE palette_ = nullptr;
    HDC panelDC_ = nullptr;
    HBITMAP skinBitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;  // what panelDC held before the skin; null while the skin is out
    HDC windowDC_ = nullptr;       // open between beginWindowDraw and endWindowDraw
    HWND windowDCOwner_ = nullptr;
    int windowDraws_ = 0;
    HDC screenDC_ = nullptr;
    int scale_ = 1;
};

class PanelWindow : public Window {
public:
    explicit PanelWindow(GdiDisplay& display) : display_(display) {}
    bool registerClass() override;
    bool create(int x, int y) override;
    std::string modulePath() override;
    int screenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
    int screenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }
    Rect desktopArea() override;
    // The screen's logical DPI (LOGPIXELSY) over 96.
    int desktopScale() override;
    void setScale(int scale) override;
    int scale() override { return scale_; }
    int borderWidth() override { return GetSystemMetrics(SM_CXBORDER); }
    int borderHeight() override { return GetSystemMetrics(SM_CYBORDER); }
    uint32_t registerMessage(const char* name) override { return RegisterWindowMessageA(name); }
    void show(int showCommand) override;
    int runMessageLoop() override;
    void setTimer(unsigned id, unsigned periodMs) override;
    void killTimer(unsigned id) override;
    void place(int x, int y, bool topmost) override;
    void move(int x, int y, int w, int h, bool repaint) override;
    Rect screenRect() override;
    Point cursorClientPos() override;
    void setArrowCursor() override { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }
    void captureMouse() override;
    void releaseMouse() override { ReleaseCapture(); }
    void setTitle(const char* title) override;
    void minimize() override;
    void invalidate() override;
    void beginPaint() override;
    void endPaint() override;
    void paintNow() override;
    void postQuit(int exitCode) override { PostQuitMessage(exitCode); }
    void destroy() override;

private:
    GdiDisplay& display_;
    PAINTSTRUCT paint_{};
    int paintDepth_ = 0;
    int scale_ = 1;
};

class MessageDialogs : public Dialogs {
public:
    BoxAnswer messageBox(const char* text, const char* title, BoxKind kind) override;
    HelpResult showHelp(const char* path, std::string& shownFile) override;
    void closeHelp(const char* path) override;

private:
    bool winHelpOpened_ = false;
};

// Which card answers the port; the remote's "status" asks for it.
enum class CardKind { None = 0, Simulated = 1, DirectPort = 2, DriverPort = 3 };

// The card's port: direct instructions on Windows 95/98/ME, the inpout port
// driver library on the NT family when it is installed, else the simulated
// card configured in the settings' "Simulator" section, as "Card"/MODE says.
// Nothing answers (writes go nowhere, reads give 0xFF) until open succeeds.
class CardPort : public Port {
public:
    explicit CardPort(Profile& profile) : profile_(profile) {}
    bool open(std::string& whyNot) override;
    void writeByte(uint16_t port, uint8_t value) override;
    uint8_t readByte(uint16_t port) override;
    uint16_t readWord(uint16_t port) override;
    CardKind kind() const { return kind_; }

private:
    Profile& profile_;
    std::unique_ptr<Port> card_;
    CardKind kind_ = CardKind::None;
};

// The error text of MODE=port where the system grants no port access.
extern const char* const noPortAccessText;

}  // namespace win32
}  // namespace orv

extern "C" {
// The exported window procedure and dialog procedure, by these names.
__declspec(dllexport) LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam,
                                                   LPARAM lParam);
__declspec(dllexport) INT_PTR CALLBACK About(HWND dialog, UINT message, WPARAM wParam,
                                             LPARAM lParam);
}
