// The seams between the panel's core and the system it runs on. The core
// includes no system header; a back end (win32, headless) implements these
// small interfaces and feeds events into the core (shell/window_proc.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// A rectangle with exclusive right and bottom bounds, as the window system uses.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct Point {
    int32_t x = 0, y = 0;
};

struct LocalTime {
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
};

// The I/O port of the tuner card.
class Port {
public:
    virtual ~Port() = default;
    // Writes one byte to the port. Never fails.
    virtual void writeByte(uint16_t port, uint8_t value) = 0;
    // Reads one byte from the port; 0xFF where nothing answers.
    virtual uint8_t readByte(uint16_t port) = 0;
    // Reads one 16-bit word from the port; 0xFFFF where nothing answers.
    virtual uint16_t readWord(uint16_t port) = 0;
    // Opens the card the settings name, once, after the window exists and
    // before anything else reads the settings. False when the named card
    // cannot be had; whyNot then says why, for the user.
    virtual bool open(std::string& whyNot) {
        (void)whyNot;
        return true;
    }
};

// Time sources. Tests drive them by hand.
class Clock {
public:
    virtual ~Clock() = default;
    // The millisecond tick counter (GetTickCount); wraps modulo 2^32.
    virtual uint32_t tickCount() = 0;
    // Calendar time in seconds since the epoch.
    virtual int64_t now() = 0;
    // The local hour and minute of the current calendar time.
    virtual LocalTime localTime() = 0;
};

constexpr size_t profileStringMax = 18;

// The profile-file service on the settings file "orvanta.ini". Section and
// key names compare without regard to case.
class Profile {
public:
    virtual ~Profile() = default;
    // The value of section/key cut to at most maxChars characters, or def
    // (also cut) when the key or the file is missing.
    virtual std::string readText(const char* section, const char* key, const char* def,
                                 size_t maxChars) = 0;
    // readText with the panel's buffer of 19 bytes: at most 18 characters.
    std::string readString(const char* section, const char* key, const char* def) {
        return readText(section, key, def, profileStringMax);
    }
    // The value of section/key as an integer (leading digits, optional sign),
    // def when the key is missing; 0 when the text holds no number.
    virtual int readInt(const char* section, const char* key, int def) = 0;
    // Writes section/key = value; a null value removes the key. Failures are ignored.
    virtual void writeString(const char* section, const char* key, const char* value) = 0;
};

// Reading the skin file.
class Files {
public:
    virtual ~Files() = default;
    // Opens a file for reading; returns a handle >= 0, or -1 when it cannot be opened.
    virtual int open(const char* path) = 0;
    // Reads up to count bytes; returns the number read (0 at the end), or -1 on error.
    virtual int32_t read(int handle, void* dest, uint32_t count) = 0;
    // Moves to offset from the start of the file; false on failure.
    virtual bool seek(int handle, uint32_t offset) = 0;
    // Closes the handle.
    virtual void close(int handle) = 0;
};

// Where a copy out of panelDC lands.
enum class Target { Window, Skin };

// One palette entry of the skin: 8-bit red, green, blue.
struct PaletteEntry {
    uint8_t red = 0, green = 0, blue = 0;
};

// The off-screen skin surface panelDC and the copies out of it.
class Display {
public:
    virtual ~Display() = default;
    // Creates the logical palette and realises it for the window; false on failure.
    virtual bool createPalette(const std::vector<PaletteEntry>& entries) = 0;
    // Creates panelDC with a 430 x 344 bitmap in the display's format; false on failure.
    virtual bool createPanelSurface() = 0;
    // Converts bottom-up DIB rows into the panelDC bitmap. info points to the
    // 40-byte info header followed (at headerSize) by the colour table
    // (paletteRelative false: 4-byte RGB quads; true: 16-bit palette indices).
    // bits/bitsSize are the pixel rows. Returns false when nothing could be converted.
    virtual bool convertSkin(const uint8_t* info, uint32_t headerSize, const uint8_t* bits,
                             uint32_t bitsSize, bool paletteRelative) = 0;
    // Deletes panelDC, the bitmaps and the palette. Safe to call when none exist.
    virtual void releaseSkin() = 0;
    // Copies w x h pixels from panelDC at (sx, sy) to the window or to panelDC
    // itself at (x, y), clipped to the destination. No-op while panelDC is missing.
    virtual void copy(Target dst, int x, int y, int w, int h, int sx, int sy) = 0;
    // Brackets a run of copies to the window with one drawing context.
    virtual void beginWindowDraw() = 0;
    virtual void endWindowDraw() = 0;
    // Opens a drawing context on the whole screen (the drag outline); false on failure.
    virtual bool openScreen() = 0;
    // Inverts w x h screen pixels at screen (x, y) on the open screen context.
    virtual void invertScreen(int x, int y, int w, int h) = 0;
    // Closes the screen context.
    virtual void closeScreen() = 0;
};

enum class BoxKind { ErrorOk, PlainOk, YesNoCancel };
enum class BoxAnswer { Ok, Yes, No, Cancel };
// What opening the manual came to.
enum class HelpResult { Opened, FileMissing, ViewerMissing };

// The one panel window and the things that live on it.
//
// The panel may be drawn at an integer scale (setScale): each panel pixel
// then covers scale x scale screen pixels. Window sizes (create, move),
// copies to the window and pointer positions in the window (the client
// coordinates of events and cursorClientPos) are in panel pixels; places on
// the screen (the corner given to create, place and move, screenRect,
// desktopArea, the screen size, the drag outline) are in screen pixels, so
// screenRect is the panel's size times the scale.
class Window {
public:
    virtual ~Window() = default;
    // The desktop's own integer scale (its DPI over 96), 1 where the system
    // tells none. Asked after registerClass.
    virtual int desktopScale() { return 1; }
    // Sets the scale the panel is drawn at, before create; 1 where the back end cannot scale.
    virtual void setScale(int scale) { (void)scale; }
    virtual int scale() { return 1; }
    // Registers the window class "OrvantaWClass"; false on failure.
    virtual bool registerClass() = 0;
    // Creates the pop-up window "Orvanta" at (x, y), 540 x 330; the back end
    // runs the core's window creation inside. False on failure.
    virtual bool create(int x, int y) = 0;
    // The program file's full path ("" when unknown).
    virtual std::string modulePath() = 0;
    // Screen size in pixels.
    virtual int screenWidth() = 0;
    virtual int screenHeight() = 0;
    // The area all monitors together cover (the virtual screen); the primary
    // screen where the system knows no more than that.
    virtual Rect desktopArea() { return Rect{0, 0, screenWidth(), screenHeight()}; }
    // Window border thickness (1 where the system has no such metric).
    virtual int borderWidth() = 0;
    virtual int borderHeight() = 0;
    // Registers a message name; every program gets the same identifier for the same name. 0 on failure.
    virtual uint32_t registerMessage(const char* name) = 0;
    // Shows the window with the entry's show command and paints it at once.
    virtual void show(int showCommand) = 0;
    // Runs the message loop; returns the quit message's exit code.
    virtual int runMessageLoop() = 0;
    // Starts (or restarts with a new period) timer id on the window.
    virtual void setTimer(unsigned id, unsigned periodMs) = 0;
    // Stops timer id; nothing when it does not run.
    virtual void killTimer(unsigned id) = 0;
    // Places the window at (x, y), shown, above all windows or in the normal layer, size unchanged.
    virtual void place(int x, int y, bool topmost) = 0;
    // Moves and sizes the window, repainting it or not.
    virtual void move(int x, int y, int w, int h, bool repaint) = 0;
    // The window's rectangle on the screen.
    virtual Rect screenRect() = 0;
    // The pointer position in client coordinates.
    virtual Point cursorClientPos() = 0;
    // Makes the standard arrow the current pointer.
    virtual void setArrowCursor() = 0;
    virtual void captureMouse() = 0;
    virtual void releaseMouse() = 0;
    virtual void setTitle(const char* title) = 0;
    virtual void minimize() = 0;
    // Marks the whole client area for repainting, with erase.
    virtual void invalidate() = 0;
    // Begins and ends the handling of a paint message.
    virtual void beginPaint() = 0;
    virtual void endPaint() = 0;
    // Sends the window the paint message at once (the back end calls the core's paint handling).
    virtual void paintNow() = 0;
    // Posts the quit message with an exit code.
    virtual void postQuit(int exitCode) = 0;
    // Destroys the window (the back end then delivers the destruction to the core).
    virtual void destroy() = 0;
};

// Message boxes and help.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal box owned by the window; returns the button pressed (Ok for OK boxes).
    virtual BoxAnswer messageBox(const char* text, const char* title, BoxKind kind) = 0;
    // Opens the help viewer on path's contents page without blocking the panel;
    // where the system has no viewer for that file the back end opens the
    // manual's web page instead. shownFile gets the file that was opened, the
    // file that is missing (FileMissing), or the file that no viewer program
    // could be started for (ViewerMissing). Shows no message itself.
    virtual HelpResult showHelp(const char* path, std::string& shownFile) = 0;
    // Closes a help viewer window that showHelp opened on path (WinHelp's quit
    // command); nothing where the viewer is not the program's to close.
    virtual void closeHelp(const char* path) = 0;
};

// Everything the core asks of the system.
struct Platform {
    Port& port;
    Clock& clock;
    Profile& profile;
    Files& files;
    Display& display;
    Window& window;
    Dialogs& dialogs;
};

}  // namespace orv
