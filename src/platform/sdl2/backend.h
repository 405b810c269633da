// The native Linux back end: the platform interfaces on SDL2 and POSIX, and
// the loop that turns SDL events into the core's neutral calls.
#pragma once

#include <SDL.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "panel/media_keys.h"
#include "platform/platform.h"
#include "platform/sdl2/remote_server.h"
#include "platform/sdl2/status_board.h"
#include "settings/profile_store.h"

namespace orv {

struct App;

namespace sdl2 {

// The millisecond counter of the monotonic clock (wraps modulo 2^32).
class SystemClock : public Clock {
public:
    uint32_t tickCount() override;
    int64_t now() override;
    LocalTime localTime() override;
};

// The portable store on $XDG_CONFIG_HOME/orvanta/orvanta.ini; its folder is
// made at the first write.
class XdgProfile : public ProfileStore {
public:
    explicit XdgProfile(std::string path);
    void writeString(const char* section, const char* key, const char* value) override;
};

class PosixFiles : public Files {
public:
    int open(const char* path) override;
    int32_t read(int handle, void* dest, uint32_t count) override;
    bool seek(int handle, uint32_t offset) override;
    void close(int handle) override;
};

// panelDC is a 430 x 344 surface in the window's pixel format. The window's
// pixels live in a surface of the client size (what the window shows), so
// that a resize keeps them and an exposure shows them again unchanged.
class SdlDisplay : public Display {
public:
    ~SdlDisplay() override;
    bool createPalette(const std::vector<PaletteEntry>& entries) override;
    bool createPanelSurface() override;
    bool convertSkin(const uint8_t* info, uint32_t headerSize, const uint8_t* bits,
                     uint32_t bitsSize, bool paletteRelative) override;
    void releaseSkin() override;
    void copy(Target dst, int x, int y, int w, int h, int sx, int sy) override;
    void beginWindowDraw() override;
    void endWindowDraw() override;
    // There is no screen to draw on: the window itself follows the drag.
    bool openScreen() override;
    void invertScreen(int, int, int, int) override {}
    void closeScreen() override;

    // The window the copies land in (null: none), and its client size in panel pixels.
    void attach(SDL_Window* window);
    // Each panel pixel shows as a block of scale x scale window pixels.
    void setScale(int scale) { scale_ = scale; }
    void resizeClient(int w, int h);
    // Shows the client pixels in the window again (an exposure).
    void presentAll();
    bool screenOpen() const { return screenOpen_; }

private:
    void present(const SDL_Rect& r);
    void freeClient();

    SDL_Window* window_ = nullptr;
    SDL_Surface* panel_ = nullptr;   // panelDC
    SDL_Surface* client_ = nullptr;  // the window's pixels, in panel pixels
    int scale_ = 1;
    std::vector<PaletteEntry> palette_;
    int draws_ = 0;
    bool dirty_ = false;
    SDL_Rect dirtyRect_{};
    bool screenOpen_ = false;
};

class SdlWindow : public Window {
public:
    explicit SdlWindow(SdlDisplay& display) : display_(display) {}
    ~SdlWindow() override;
    bool registerClass() override;
    bool create(int x, int y) override;
    std::string modulePath() override;
    int screenWidth() override;
    int screenHeight() override;
    // Xft.dpi where the X server's resources set it, else the display's DPI, over 96.
    int desktopScale() override;
    void setScale(int scale) override;
    int scale() override { return scale_; }
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
    Point cursorClientPos() override;
    void setArrowCursor() override;
    void captureMouse() override;
    void releaseMouse() override;
    void setTitle(const char* title) override;
    void minimize() override;
    void invalidate() override { paintPending_ = true; }
    void beginPaint() override;
    void endPaint() override;
    void paintNow() override;
    void postQuit(int exitCode) override;
    void destroy() override;

    App* app = nullptr;  // the core that gets the events
    SDL_Window* handle() const { return window_; }
    // No display could be had (registerClass failed for it): the program ends with an error.
    bool noDisplay() const { return noDisplay_; }
    // A modal box has just closed: input that came meanwhile is dropped (the
    // panel was disabled) and the window gets a paint message, as it would
    // when a box that covered it goes away.
    void afterModalBox();
    // After the panel closed while the program's own radio plays on: serves
    // the remote without a window (station, volume and mute reach the card)
    // until "show" (true: a new panel is wanted) or "quit" or the end of the
    // session (false).
    bool runWindowless();
    // The program was asked to end: remote "quit" or the end of the session.
    bool endRequested() const { return endRequested_; }

    // What the back end adds to the core's status (card, level, station);
    // runs on the main thread.
    std::function<void(PanelStatus&)> addCardStatus;
    // The status other programs are told, kept current by the main thread.
    StatusBoard& board() { return board_; }
    // Any thread: hands a command to the main thread, which does it as the
    // remote's command; false when too many wait already.
    bool deliver(const remote::Command& command);
    // The remote's answer to a command, on the thread that asked: the
    // status, or whether a tune was taken; the command itself goes on to the main thread.
    std::string answerRemote(const remote::Command& command);

private:
    bool startVideo(std::string& whyNot);
    struct Timer {
        unsigned period = 0;
        uint32_t due = 0;
    };
    void dispatch(const SDL_Event& e);
    void dispatchWindowEvent(const SDL_WindowEvent& e);
    void dispatchRemote(const SDL_UserEvent& e);
    void playWindowless(remote::Kind kind, uint32_t value);
    void doRemote(remote::Kind kind, uint32_t value);
    void setLevel(int levelDb);
    void restoreAndRaise();
    void publishStatus();
    bool fireDueTimer();
    int msUntilNextTimer();
    void followDrag();
    bool dragRunning() const;
    void pollDrag();
    void startRemote();
    void watchSessionEnd();

    SdlDisplay& display_;
    SDL_Window* window_ = nullptr;
    SDL_Cursor* arrow_ = nullptr;
    int x_ = 0, y_ = 0, w_ = 0, h_ = 0;  // where the window is (screen pixels) and its size (panel pixels)
    int scale_ = 1;
    bool topmost_ = false;
    Point dragAnchor_;  // the window's place when the drag began
    Point polledPointer_;  // where pollDrag last found the pointer
    std::map<unsigned, Timer> timers_;
    std::map<std::string, uint32_t> messages_;
    bool paintPending_ = false;
    int paintDepth_ = 0;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    uint32_t remoteEvent_ = 0;
    uint32_t sessionEndEvent_ = 0;
    remote::Server remote_;
    StatusBoard board_;
    StationInfo lastStation_;  // what the output last said about the station
    std::atomic<int> remoteInFlight_{0};
    bool noDisplay_ = false;
    bool windowless_ = false;
    bool showRequested_ = false;
    bool endRequested_ = false;
};

class SdlDialogs : public Dialogs {
public:
    explicit SdlDialogs(SdlWindow& window) : window_(window) {}
    BoxAnswer messageBox(const char* text, const char* title, BoxKind kind) override;
    // The manual's web page (orvanta.html beside the program or installed),
    // handed to the desktop's opener; the WinHelp path is not used here.
    HelpResult showHelp(const char* path, std::string& shownFile) override;
    // The browser is not the panel's to close.
    void closeHelp(const char*) override {}
    // The close question ("Power-off Message") was last answered Yes: the
    // music is to go on in the background. Cleared by forgetPlayOn().
    bool playOnAsked() const { return playOn_; }
    void forgetPlayOn() { playOn_ = false; }

private:
    SdlWindow& window_;
    bool playOn_ = false;
};

// Where the program's data files are: the folder of the executable when
// text.dat is there, else the installed data folder (<prefix>/share/orvanta,
// found beside the executable's bin folder or at the configured prefix),
// else the executable's folder. Returned as a path of a file in that folder,
// so that the core's folder rules apply to it.
std::string dataFilePath(const std::string& executable);

// The settings file: $XDG_CONFIG_HOME/orvanta/orvanta.ini, or
// ~/.config/orvanta/orvanta.ini when XDG_CONFIG_HOME is unset or relative.
std::string settingsPath();

// The core's virtual-key code for a key, 0 for keys the panel has no code for.
unsigned virtualKeyFor(SDL_Scancode scancode, SDL_Keycode key);
// The media key a key stands for (play, next, volume...); false for other keys.
bool mediaKeyFor(SDL_Keycode key, MediaKey& media);

}  // namespace sdl2
}  // namespace orv
