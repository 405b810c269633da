#include "shell/paint.h"

#include <algorithm>
#include <utility>

#include "render/clock_readouts.h"
#include "render/indicators.h"
#include "render/readouts.h"
#include "shell/window_proc.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
constexpr int wipePasses = 7;
constexpr int wipeLastColumn = 367;  // one beyond the face; the window clips it
constexpr unsigned wipePassDelayMs = 12;

// A copy inside panelDC, as the style patches and handle resets make it.
struct SkinPatch {
    int w, h, sx, sy, x, y;
};

// The released morph handles, put back at every paint.
constexpr SkinPatch handleResets[] = {
    {20, 6, 67, 256, 155, 4},  // top handle
    {6, 20, 74, 270, 3, 53},   // left handle
};
constexpr SkinPatch compactPatches[] = {
    {367, 8, 0, 124, 0, 74},    // the bottom edge under row 73
    {47, 16, 103, 223, 125, 52},  // the volume rocker in the plate place
};
constexpr SkinPatch miniPatches[] = {
    {21, 22, 26, 256, 331, 44},   // blank over the decade key
    {367, 8, 0, 124, 0, 74},      // the bottom edge
    {40, 82, 327, 0, 177, 0},     // the right end cap next to the readouts
    {47, 16, 103, 223, 125, 52},  // the volume rocker
};

template <size_t N>
void applyPatches(App& app, const SkinPatch (&patches)[N]) {
    for (const SkinPatch& p : patches) app.platform.display.copy(Target::Skin, p.x, p.y, p.w, p.h, p.sx, p.sy);
}

void copyFace(App& app) { app.platform.display.copy(Target::Window, 0, 0, faceWidth, faceHeight, 0, 0); }

// Brings the full panel in column by column: seven interleaved passes of every seventh column.
void wipeIn(App& app) {
    for (int pass = 0; pass < wipePasses; ++pass) {
        for (int x = pass; x <= wipeLastColumn; x += wipePasses) {
            app.platform.display.copy(Target::Window, x, 0, 1, faceHeight, x, 0);
            portPause(app);
        }
        delayMs(app.platform.clock, wipePassDelayMs);
    }
}

void resizeKeepingPlace(App& app, int w, int h) {
    app.platform.window.move(app.state.windowX, app.state.windowY, w, h, false);
}

void paintStyle(App& app) {
    ReceiverState& s = app.state;
    switch (s.panelStyle) {
        case styleFull:
            if (s.firstPaint) {
                s.firstPaint = false;
                wipeIn(app);
            } else {
                copyFace(app);
            }
            break;
        case styleCompact:
            if (s.firstPaint) {
                resizeKeepingPlace(app, faceWidth, compactHeight);
                applyPatches(app, compactPatches);
            }
            copyFace(app);
            break;
        default:
            if (s.firstPaint) {
                applyPatches(app, miniPatches);
                resizeKeepingPlace(app, miniWidth, compactHeight);
            }
            copyFace(app);
            break;
    }
}

void paintModeLooks(App& app) {
    uint32_t flags = app.state.modeFlags;
    if (flags & MF_MUTED) {
        showIndicator(app, Indicator::MuteButton, true);
        showIndicator(app, Indicator::MuteLamp, true);
    }
    if (flags & MF_SLUMBER_ON) showIndicator(app, Indicator::SlumberButton, true);
    showIndicator(app, Indicator::SlumberLamp, (flags & MF_SLUMBER_ON) != 0);
    if (flags & MF_ALARM_ON) showIndicator(app, Indicator::AlarmButton, true);
    showIndicator(app, Indicator::AlarmLamp, (flags & MF_ALARM_ON) != 0);
}
}  // namespace

void paintPanel(App& app) {
    ReceiverState& s = app.state;
    Window& window = app.platform.window;
    window.beginPaint();
    applyPatches(app, handleResets);
    paintStyle(app);
    LocalTime now = app.platform.clock.localTime();
    drawClock(app, now.hour, now.minute);
    paintModeLooks(app);
    drawFrequencyAndPreset(app, s.presetIndex, s.frequency);
    drawPresetLamp(app, s.presetIndex);
    drawSignalLamp(app, s.modeFlags);
    window.endPaint();
}

void drawDragFrame(App& app, Rect r) {
    const int bx = app.platform.window.borderWidth();
    const int by = app.platform.window.borderHeight();
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    Display& display = app.platform.display;
    const int w = r.right - r.left, h = r.bottom - r.top;
    display.invertScreen(r.left - bx, r.top - by, bx, h + by);  // left
    display.invertScreen(r.left, r.top - by, w + bx, by);       // top
    display.invertScreen(r.right, r.top, bx, h + by);           // right
    display.invertScreen(r.left - bx, r.bottom, w + bx, by);    // bottom
}

void startDrag(App& app) {
    ReceiverState& s = app.state;
    Window& window = app.platform.window;
    s.dragScreenOpen = app.platform.display.openScreen();
    s.dragging = true;
    cancelStore(app);
    s.dragStartRect = window.screenRect();
    s.dragFrame = s.dragStartRect;
    drawDragFrame(app, s.dragFrame);
    window.captureMouse();
}

void moveDrag(App& app, Point p) {
    ReceiverState& s = app.state;
    drawDragFrame(app, s.dragFrame);
    // The pointer moves in panel pixels, the frame on the screen.
    const int scale = std::max(app.platform.window.scale(), 1);
    const int dx = (p.x - s.dragStartPoint.x) * scale, dy = (p.y - s.dragStartPoint.y) * scale;
    s.dragFrame = Rect{s.dragStartRect.left + dx, s.dragStartRect.top + dy, s.dragStartRect.right + dx,
                       s.dragStartRect.bottom + dy};
    drawDragFrame(app, s.dragFrame);
}

void finishDrag(App& app) {
    ReceiverState& s = app.state;
    s.dragging = false;
    drawDragFrame(app, s.dragFrame);
    s.windowX = s.dragFrame.left;
    s.windowY = s.dragFrame.top;
    const int scale = std::max(app.platform.window.scale(), 1);
    app.platform.window.move(s.windowX, s.windowY, (s.dragStartRect.right - s.dragStartRect.left) / scale,
                             (s.dragStartRect.bottom - s.dragStartRect.top) / scale, true);
    if (s.dragScreenOpen) app.platform.display.closeScreen();
    s.dragScreenOpen = false;
}

void endDrag(App& app) {
    finishDrag(app);
    app.platform.window.releaseMouse();
}

}  // namespace orv
