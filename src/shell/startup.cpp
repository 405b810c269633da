#include "shell/startup.h"

#include <algorithm>
#include <cstring>

#include "settings/settings.h"
#include "shell/window_scale.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
constexpr int defaultWindowX = 150;
constexpr int defaultWindowY = 100;
const char* const helpFileName = "orvanta.hlp";
// Folder separators of a program path: the backslash, and the slash of
// Windows and POSIX paths alike.
const char* const directorySeparators = "\\/";
const char* const helpPathSeparators = "\\/:";
const char* const helpBoxTitle = "Orvanta Help";
constexpr size_t scaleSettingChars = 16;

// The program path as the 128-byte buffer holds it: at most 127 characters.
std::string boundedPath(const std::string& path) { return path.substr(0, pathBufferSize - 1); }

// Length of the directory part: up to and including the last separator.
size_t directoryLength(const std::string& path, const char* separators) {
    size_t cut = path.find_last_of(separators);
    return cut == std::string::npos ? 0 : cut + 1;
}
}  // namespace

void readWindowPosition(App& app) {
    ReceiverState& s = app.state;
    Profile& profile = app.platform.profile;
    s.windowX = profile.readInt("Position", "X", defaultWindowX);
    s.windowY = profile.readInt("Position", "Y", defaultWindowY);
    // Any position on the desktop stays, on whichever monitor; one beyond its
    // right or bottom edge is on no monitor. Negative values stay.
    const Rect desktop = app.platform.window.desktopArea();
    if (s.windowX > desktop.right || s.windowY > desktop.bottom) {
        s.windowX = defaultWindowX;
        s.windowY = defaultWindowY;
    }
    // The corner is kept in screen pixels whatever the scale; a panel drawn
    // larger than at 1 is pulled in from the right and bottom edges.
    const Point corner = fitOnDesktop(Point{s.windowX, s.windowY}, faceWidth, faceHeight,
                                      app.platform.window.scale(), desktop);
    s.windowX = corner.x;
    s.windowY = corner.y;
}

void chooseWindowScale(App& app) {
    Window& window = app.platform.window;
    const int setting =
        parseScaleSetting(app.platform.profile.readText("Window", "SCALE", "auto", scaleSettingChars));
    // Only auto asks the system; the limit is the primary screen's size.
    window.setScale(chooseScale(setting, setting ? 0 : window.desktopScale(), window.screenWidth(),
                                window.screenHeight()));
}

void buildModuleDirectory(App& app, const std::string& modulePath) {
    std::string path = boundedPath(modulePath);
    std::string dir = path.substr(0, directoryLength(path, directorySeparators));
    std::memset(app.state.moduleDirectory, 0, pathBufferSize);
    std::memcpy(app.state.moduleDirectory, dir.data(), dir.size());
}

void buildHelpFilePath(App& app, const std::string& modulePath) {
    std::string path = boundedPath(modulePath);
    std::string help = path.substr(0, directoryLength(path, helpPathSeparators));
    if (help.size() + std::strlen(helpFileName) + 1 <= size_t(pathBufferSize))
        help += helpFileName;
    else
        help += "?";  // the help viewer then finds no file
    std::memset(app.state.helpFilePath, 0, pathBufferSize);
    std::memcpy(app.state.helpFilePath, help.data(), std::min(help.size(), size_t(pathBufferSize - 1)));
}

bool ShowHelp(App& app) {
    std::string file;
    switch (app.platform.dialogs.showHelp(app.state.helpFilePath, file)) {
    case HelpResult::Opened:
        app.state.helpOpened = true;
        return true;
    case HelpResult::FileMissing:
        app.platform.dialogs.messageBox(("The help file " + file + " is missing.").c_str(), helpBoxTitle,
                                        BoxKind::PlainOk);
        return false;
    case HelpResult::ViewerMissing:
        app.platform.dialogs.messageBox(("No program could be started to show the help file " + file + ".").c_str(),
                                        helpBoxTitle, BoxKind::PlainOk);
        return false;
    }
    return false;
}

void closeHelp(App& app) {
    if (!app.state.helpOpened) return;
    app.state.helpOpened = false;
    app.platform.dialogs.closeHelp(app.state.helpFilePath);
}

int runPanel(App& app, int showCommand) {
    Window& window = app.platform.window;
    ReceiverState& s = app.state;
    if (!window.registerClass()) return 0;
    chooseWindowScale(app);
    readWindowPosition(app);
    const std::string modulePath = window.modulePath();
    buildModuleDirectory(app, modulePath);
    const bool created = window.create(s.windowX, s.windowY);
    window.setArrowCursor();
    if (!created) return 0;
    // The card is opened only now, so that a failed creation reads no card
    // settings and creates no trace; a card that was named and cannot be
    // had ends the program before any setting is written.
    std::string whyNoCard;
    if (!app.platform.port.open(whyNoCard)) {
        app.platform.dialogs.messageBox(whyNoCard.c_str(), "Error", BoxKind::ErrorOk);
        window.destroy();
        return 0;
    }
    buildHelpFilePath(app, modulePath);
    window.setTimer(clockTimer, clockPeriodMs);
    loadSettings(app);
    tuneFrequency(app, s.frequency, s.modeFlags);
    // Registered last, so that a remote request never meets a half-built state.
    s.msgSetStation = window.registerMessage("TQ_SETSTATION");
    s.msgSetVolume = window.registerMessage("TQ_SETVOLUME");
    s.msgMute = window.registerMessage("TQ_MUTE");
    window.show(showCommand);
    return window.runMessageLoop();
}

}  // namespace orv
