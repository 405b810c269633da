#include "shell/window_proc.h"

#include <cstdio>
#include <cstring>

#include "panel/buttons.h"
#include "panel/keyboard.h"
#include "panel/morph.h"
#include "panel/tick.h"
#include "render/indicators.h"
#include "render/readouts.h"
#include "render/skin_loader.h"
#include "settings/presets.h"
#include "settings/shutdown.h"
#include "shell/hit_regions.h"
#include "shell/paint.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
const char* const skinFileName = "text.dat";
constexpr uint32_t lowWord = 0xFFFF;

// Bottom-row band that the held tuning keys repeat in.
constexpr int repeatTop = 86, repeatBottom = 101;

// The face pieces a press during a seek puts back.
constexpr int seekRepairW = 27, seekRepairH = 24, seekRepairY = 83;
constexpr int seekRepairUpX = 71, seekRepairDownX = 99;
constexpr int seekRepairLowX = 85, seekRepairLowY = 109, seekRepairLowW = 26, seekRepairLowH = 10;

void buildSkinFilePath(ReceiverState& s) {
    std::memset(s.skinFilePath, 0, pathBufferSize);
    size_t dir = strnlen(s.moduleDirectory, pathBufferSize - 1);
    size_t name = std::strlen(skinFileName);
    // A path that does not fit stays empty: the load then fails with its usual messages.
    if (dir + name + 1 > size_t(pathBufferSize)) return;
    std::memcpy(s.skinFilePath, s.moduleDirectory, dir);
    std::memcpy(s.skinFilePath + dir, skinFileName, name);
}

void performRestore(App& app, FaceRestore& r) {
    r.armed = false;
    app.platform.display.copy(Target::Window, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY);
}

bool insideHot(const FaceRestore& r, int x, int y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

// A press while a seek runs only stops the seek and repairs the face there.
bool stopSeekByPress(App& app) {
    ReceiverState& s = app.state;
    int repairX;
    if (s.modeFlags & MF_SEEK_UP) {
        s.modeFlags &= ~MF_SEEK_UP;
        repairX = seekRepairUpX;
    } else if (s.modeFlags & MF_SEEK_DOWN) {
        s.modeFlags &= ~MF_SEEK_DOWN;
        repairX = seekRepairDownX;
    } else {
        return false;
    }
    Display& display = app.platform.display;
    display.beginWindowDraw();
    display.copy(Target::Window, repairX, seekRepairY, seekRepairW, seekRepairH, repairX, seekRepairY);
    display.copy(Target::Window, seekRepairLowX, seekRepairLowY, seekRepairLowW, seekRepairLowH, seekRepairLowX,
                 seekRepairLowY);
    display.endWindowDraw();
    s.clickHandled = true;
    app.platform.window.setTimer(clockTimer, clockPeriodMs);
    return true;
}

bool drawingAllowed(const App& app) { return app.state.skinLoaded && !app.state.skinReleased; }
}  // namespace

void onCreate(App& app) {
    ReceiverState& s = app.state;
    s.faceRestore.armed = false;
    s.skinBlock.assign(skinBlockInitialSize, 0);
    buildSkinFilePath(s);
    app.platform.window.move(s.windowX, s.windowY, faceWidth, faceHeight, false);
    if (loadSkinFile(app)) {
        s.skinLoaded = true;
        createSkinSurface(app);
    } else {
        app.platform.dialogs.messageBox("Error loading Data File 1", "Error", BoxKind::ErrorOk);
        app.platform.window.postQuit(0);
    }
}

void onDestroy(App& app) { app.platform.window.postQuit(0); }

bool onPaintMessage(App& app) {
    ReceiverState& s = app.state;
    if (s.skinReleased) return false;
    app.platform.window.place(s.windowX, s.windowY, s.stayOnTop);
    if (!s.skinLoaded) return false;
    paintPanel(app);
    return true;
}

void onClose(App& app) { closePanel(app); }

void onKeyDown(App& app, unsigned virtualKey) {
    if (app.state.skinReleased) return;
    handleKey(app, virtualKey & lowWord);
}

void onKeyUp(App& app) {
    if (app.state.skinReleased) return;
    releaseFaces(app);
}

void onTimer(App& app, unsigned timerId) {
    ReceiverState& s = app.state;
    if (!drawingAllowed(app)) return;  // late timers after the panel closed draw nothing
    unsigned id = timerId & lowWord;
    if (id == repeatTimer) repeatTick(app);
    if (id == clockTimer) periodicTick(app);
    if (id == decadeTimer) endPresetDecade(app, s.presetIndex);
}

void onMouseMove(App& app, bool leftButtonOnly, int x, int y) {
    ReceiverState& s = app.state;
    Window& window = app.platform.window;
    Point p = window.cursorClientPos();
    if (s.dragging) {
        moveDrag(app, p);
    } else if (s.faceRestore.armed) {
        if (leftButtonOnly) {
            s.lastX = x;
            s.lastY = y;
            if (!insideHot(s.faceRestore, x, y)) releaseFaces(app);
        }
    } else {
        s.lastX = x;
        s.lastY = y;
        window.setArrowCursor();
    }
    s.lastX = x;
    s.lastY = y;
    const RepeatRange& held = ReceiverState::repeatRanges[s.repeatButton & 3];
    if (!(y >= repeatTop && y <= repeatBottom && x >= held.left && x <= held.right)) s.repeatActive = false;
}

void onLeftDown(App& app, int x, int y) {
    ReceiverState& s = app.state;
    if (s.skinReleased) return;
    s.clickHandled = false;
    if (stopSeekByPress(app)) return;
    // Where the press happened: on a busy machine the pointer may have moved
    // on by the time the press is handled, and a start point taken from the
    // pointer then would leave the window short of where it is let go.
    s.dragStartPoint = Point{x, y};
    s.lastX = x;
    s.lastY = y;
    if (runHitRegions(app, x, y) == PressResult::Drag) startDrag(app);
}

void onLeftUp(App& app) {
    ReceiverState& s = app.state;
    s.repeatActive = false;
    if (s.dragging)
        endDrag(app);
    else if (!s.skinReleased)
        releaseFaces(app);
}

void onCaptureLost(App& app) {
    ReceiverState& s = app.state;
    s.repeatActive = false;
    if (s.dragging) finishDrag(app);
}

void onEndSession(App& app) { endSession(app); }

void onPaletteChanged(App& app, bool byOtherWindow) {
    if (byOtherWindow && drawingAllowed(app)) app.platform.window.invalidate();
}

bool onRegisteredMessage(App& app, uint32_t message, uint32_t wParam) {
    const ReceiverState& s = app.state;
    // Identifiers are 0 until start-up has registered them; 0 is no message of ours.
    if (message == 0 || s.skinReleased) return false;
    if (message == s.msgSetStation) {
        remoteSetStation(app, wParam);
    } else if (message == s.msgSetVolume) {
        remoteSetVolume(app, wParam);
    } else if (message == s.msgMute) {
        remoteMute(app, wParam);
    } else {
        return false;
    }
    return true;
}

void remoteSetStation(App& app, uint32_t number) {
    ReceiverState& s = app.state;
    int n = int(number & lowWord);
    if (n == 0 || n > presetCount) return;
    int old = s.presetIndex;
    s.presetIndex = n;
    recallPreset(app, n, old);
}

void remoteSetVolume(App& app, uint32_t value) {
    stepVolume(app, (value & lowWord) == 0 ? volumeUp : volumeDown);
}

void remoteMute(App& app, uint32_t value) {
    ReceiverState& s = app.state;
    if ((value & lowWord) == 0)
        s.modeFlags &= ~MF_MUTED;
    else
        s.modeFlags |= MF_MUTED;
    tuneFrequency(app, s.frequency, s.modeFlags);
    drawSignalLamp(app, s.modeFlags);
    app.platform.window.paintNow();
}

void endPresetDecade(App& app, int presetNumber) {
    app.state.decadeEntryActive = false;
    app.platform.window.killTimer(decadeTimer);
    drawPresetNumber(app, presetNumber);
}

void cancelStore(App& app) {
    ReceiverState& s = app.state;
    if (s.modeFlags & MF_STORE) app.platform.display.copy(Target::Window, plateX, plateY, plateWidth, plateHeight, plateX, plateY);
    s.modeFlags &= ~MF_STORE;
}

void armFaceRestore(App& app, int x, int y, int w, int h, int sx, int sy, int left, int top, int right, int bottom) {
    app.state.faceRestore = FaceRestore{true, x, y, w, h, sx, sy, left, top, right, bottom};
}

void armSecondFaceRestore(App& app, int x, int y, int w, int h, int sx, int sy, int left, int top, int right,
                          int bottom) {
    app.state.secondFaceRestore = FaceRestore{true, x, y, w, h, sx, sy, left, top, right, bottom};
}

void releaseFaces(App& app) {
    ReceiverState& s = app.state;
    if (!s.faceRestore.armed) return;
    Display& display = app.platform.display;
    display.beginWindowDraw();
    performRestore(app, s.faceRestore);
    if (s.secondFaceRestore.armed) performRestore(app, s.secondFaceRestore);
    display.endWindowDraw();
}

}  // namespace orv
