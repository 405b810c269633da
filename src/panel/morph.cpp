#include "panel/morph.h"

#include <cstdio>

#include "render/indicators.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
constexpr int morphShrinking = 1;  // full to compact, or compact to mini
constexpr int morphGrowing = 2;    // compact to full, or mini to compact

constexpr unsigned flashMs = 200;  // the plate place flashes this long at the end of a fold

// The step counter value at which each morph finishes.
constexpr int foldLimit = 51;      // full to compact and back
constexpr int narrowLimit = 205;   // compact to mini
constexpr int widenLimit = 204;    // mini to compact (C runs odd, so it finishes at 205)
constexpr int narrowTurn = 179;    // compact to mini: the end cap starts to slide out
constexpr int widenTurn = 30;      // mini to compact: the right part starts to slide out
constexpr int spareColumnsBefore = 32;  // mini to compact: the spare columns go back at C = 31

// The mirror of a compact-to-full counter when the growth turns into a shrink.
constexpr int reversalMirror = 51;
// The last shrink step that still sizes the window; a reversal never skips past it.
constexpr int lastShrinkStep = foldLimit - 1;

void toWindow(App& app, int x, int y, int w, int h, int sx, int sy) {
    app.platform.display.copy(Target::Window, x, y, w, h, sx, sy);
}

void toSkin(App& app, int x, int y, int w, int h, int sx, int sy) {
    app.platform.display.copy(Target::Skin, x, y, w, h, sx, sy);
}

// A run of copies to the window with one drawing context.
struct WindowDraw {
    Display& display;
    explicit WindowDraw(App& app) : display(app.platform.display) { display.beginWindowDraw(); }
    ~WindowDraw() { display.endWindowDraw(); }
    WindowDraw(const WindowDraw&) = delete;
    WindowDraw& operator=(const WindowDraw&) = delete;
};

// A morph never moves the window, it only sizes it.
void resize(App& app, int w, int h, bool repaint) {
    app.platform.window.move(app.state.windowX, app.state.windowY, w, h, repaint);
}

void saveStyle(App& app) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", app.state.panelStyle);
    app.platform.profile.writeString("SYSTEM", "STYLE", text);
}

// The handles' released faces, in the window and in the skin.
void resetHandles(App& app) {
    WindowDraw draw(app);
    toWindow(app, 3, 53, 6, 20, 74, 270);
    toSkin(app, 3, 53, 6, 20, 74, 270);
    toWindow(app, 155, 4, 20, 6, 67, 256);
    toSkin(app, 155, 4, 20, 6, 67, 256);
}

// The common tail of every finish: released handles, the slow clock again,
// the new style saved. The mouse is let go last.
void settle(App& app) {
    resetHandles(app);
    app.platform.window.setTimer(clockTimer, clockPeriodMs);
    saveStyle(app);
}

// ---- full to compact: the lower part slides up under row 73 like a drawer

void shrinkToCompactStep(App& app, int c) {
    toWindow(app, 0, 74, 367, 58 - c, 0, 74 + c);
    resize(app, 367, 132 - c, true);
}

void finishToCompact(App& app, int) {
    ReceiverState& s = app.state;
    s.panelStyle = styleCompact;
    s.morphState = 0;
    toSkin(app, 0, 74, 367, 8, 0, 124);  // the bottom edge closes the compact panel
    // No drawing context is held across the flash, so that it reaches the screen.
    toWindow(app, 125, 52, 47, 16, 156, 156);  // flash
    delayMs(app.platform.clock, flashMs);
    toWindow(app, 125, 52, 47, 16, 103, 223);  // the volume rocker
    settle(app);
    toSkin(app, 125, 52, 47, 16, 103, 223);  // the rocker becomes part of the skin
    app.platform.window.releaseMouse();
}

// ---- compact to mini: the right part slides left under column 180, then the
// end cap slides out to the right from column 177

void narrowToMiniStep(App& app, int c) {
    if (c < narrowTurn) {
        toWindow(app, 180, 0, 187 - c, 82, 180 + c, 0);
        resize(app, 367 - c, 82, true);
    } else {
        toWindow(app, 177, 0, c - 166, 82, 533 - c, 0);
        resize(app, c + 13, 82, false);
    }
}

void finishToMini(App& app, int c) {
    ReceiverState& s = app.state;
    toWindow(app, 176, 0, c - 166, 82, 533 - c, 0);  // 39 x 82 from (328, 0)
    toSkin(app, 177, 0, 40, 82, 327, 0);  // the end cap moves next to the readouts
    s.panelStyle = styleMini;
    s.morphState = 0;
    // The window keeps the 216 columns of the last step.
    settle(app);
    app.platform.window.releaseMouse();
}

// ---- mini to compact: the end cap slides left under column 177, then the
// right part of the compact panel slides out to the right from column 178

void widenToCompactStep(App& app, int c) {
    if (c < widenTurn) {
        toWindow(app, 177, 0, 46 - c, 82, 328 + c, 0);
        resize(app, 216 - c, 82, true);
    } else {
        // The columns the end cap covered come back from the spare copy.
        if (c < spareColumnsBefore) toSkin(app, 177, 0, 40, 82, 369, 0);
        toWindow(app, 178, 0, c - 16, 82, 383 - c, 0);
        resize(app, c + 164, 82, false);
    }
}

void finishFromMiniToCompact(App& app, int c) {
    ReceiverState& s = app.state;
    toWindow(app, 177, 0, c - 15, 82, 382 - c, 0);  // 190 x 82 from (177, 0)
    s.panelStyle = styleCompact;
    s.morphState = 0;
    app.platform.window.paintNow();  // the paint message: placed, then the whole panel
    drawPresetLamp(app, s.presetIndex);
    settle(app);
    app.platform.window.releaseMouse();
}

// ---- compact to full: the lower part slides down again

void growStrip(App& app, int c) { toWindow(app, 0, 74, 367, c + 8, 0, 125 - c); }

void growToFullStep(App& app, int c) {
    growStrip(app, c);
    resize(app, 367, c + 82, false);
}

void finishToFull(App& app, int c) {
    growStrip(app, c);  // the last strip, without a resize
    ReceiverState& s = app.state;
    s.panelStyle = styleFull;
    s.morphState = 0;
    {
        WindowDraw draw(app);
        // The latched faces of the bottom row.
        if (s.modeFlags & MF_MUTED) toWindow(app, 170, 83, 35, 22, 312, 158);
        if (s.modeFlags & MF_ALARM_ON) toWindow(app, 84, 83, 35, 22, 312, 158);
        if (s.modeFlags & MF_SLUMBER_ON) toWindow(app, 12, 83, 35, 22, 236, 159);
        toWindow(app, 125, 52, 47, 16, 3, 187);  // flash
    }
    delayMs(app.platform.clock, flashMs);
    toWindow(app, 125, 52, 47, 16, 105, 136);  // the store plate
    toSkin(app, 125, 52, 47, 16, 105, 136);
    settle(app);
    app.platform.window.releaseMouse();
}

// ---- the table of morphs

// When the counter advances, relative to the step.
enum class Count { OneBefore, TwoBefore, TwoAfter };

struct MorphRule {
    int state, style;  // morphState, and panelStyle (still the starting style)
    Count count;
    int limit;  // the step runs while C < limit; at the limit the morph finishes
    void (*step)(App&, int);
    void (*finish)(App&, int);
};

constexpr MorphRule morphRules[] = {
    {morphShrinking, styleFull, Count::OneBefore, foldLimit, shrinkToCompactStep, finishToCompact},
    {morphShrinking, styleCompact, Count::TwoBefore, narrowLimit, narrowToMiniStep, finishToMini},
    {morphGrowing, styleMini, Count::TwoAfter, widenLimit, widenToCompactStep, finishFromMiniToCompact},
    {morphGrowing, styleCompact, Count::OneBefore, foldLimit, growToFullStep, finishToFull},
};

const MorphRule* runningMorph(const ReceiverState& s) {
    for (const MorphRule& r : morphRules)
        if (r.state == s.morphState && r.style == s.panelStyle) return &r;
    return nullptr;
}

// ---- the starts

void beginMorph(App& app, int state) {
    app.state.morphCounter = 1;
    app.state.morphState = state;
}

void startMorphTimer(App& app) { app.platform.window.setTimer(clockTimer, morphPeriodMs); }

void startFullToCompact(App& app) {
    beginMorph(app, morphShrinking);
    toWindow(app, 0, 74, 367, 57, 0, 75);
    resize(app, 367, 131, true);
    startMorphTimer(app);
}

void startCompactToFull(App& app) {
    app.state.morphCounter = 1;
    startMorphTimer(app);
    app.state.morphState = morphGrowing;
    toSkin(app, 0, 74, 367, 8, 0, 325);  // the full panel's strip comes back from the spare
    toWindow(app, 0, 74, 367, 9, 0, 124);
    resize(app, 367, 83, false);
}

void startCompactToMini(App& app) {
    beginMorph(app, morphShrinking);
    toSkin(app, 331, 44, 21, 22, 26, 256);  // the decade key's place goes blank in the end cap
    toWindow(app, 180, 0, 186, 82, 181, 0);
    resize(app, 366, 82, true);
    startMorphTimer(app);
}

// The growth to full turns back into a shrink to compact from the mirrored step.
// Right after the start (C = 1) the mirror would finish without the last
// resize and leave the compact panel 83 high; that one case takes the last
// shrink step instead.
void reverseToCompact(App& app) {
    ReceiverState& s = app.state;
    int mirrored = reversalMirror - s.morphCounter;
    s.morphCounter = mirrored < lastShrinkStep ? mirrored : lastShrinkStep - 1;
    s.morphState = morphShrinking;
    s.panelStyle = styleFull;
}

void startMiniToCompact(App& app) {
    beginMorph(app, morphGrowing);
    toSkin(app, 331, 44, 21, 22, 399, 205);  // the decade key's face comes back
    startMorphTimer(app);
}
}  // namespace

void startMorph(App& app, int request) {
    const ReceiverState& s = app.state;
    switch (request) {
        case morphFullToCompact:
            if (s.panelStyle == styleFull && s.morphState == 0) startFullToCompact(app);
            break;
        case morphCompactToFull:
            if (s.panelStyle == styleCompact && s.morphState == 0) startCompactToFull(app);
            break;
        case morphCompactToMini:
            if (s.panelStyle == styleCompact && s.morphState == 0)
                startCompactToMini(app);
            else if (s.panelStyle == styleCompact && s.morphState == morphGrowing)
                reverseToCompact(app);
            break;
        case morphMiniToCompact:
            if (s.panelStyle == styleMini && s.morphState == 0) startMiniToCompact(app);
            break;
        default:
            break;
    }
}

void morphTick(App& app) {
    ReceiverState& s = app.state;
    if (s.morphState == 0) return;
    const MorphRule* rule = runningMorph(s);
    if (!rule) return;
    if (rule->count == Count::OneBefore) s.morphCounter += 1;
    if (rule->count == Count::TwoBefore) s.morphCounter += 2;
    const int c = s.morphCounter;
    if (c < rule->limit)
        rule->step(app, c);
    else
        rule->finish(app, c);
    if (rule->count == Count::TwoAfter) s.morphCounter += 2;
}

}  // namespace orv
