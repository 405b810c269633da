#include "shell/hit_regions.h"

#include <cstdio>

#include "panel/buttons.h"
#include "panel/morph.h"
#include "render/indicators.h"
#include "settings/shutdown.h"
#include "shell/window_proc.h"

namespace orv {

namespace {
constexpr int anywhere = -1;
constexpr int powerKeyX = 331, miniPowerKeyX = 180, powerKeyY = 18, powerKeyW = 21, powerKeyH = 22;
constexpr int powerPressedX = 399, powerPressedY = 176;
constexpr int powerLeft = 331, powerRight = 351;
constexpr int leftHandleX = 3, leftHandleY = 53, leftHandlePressedX = 81, leftHandlePressedY = 270;
constexpr int topHandleX = 155, topHandleY = 4, topHandlePressedX = 67, topHandlePressedY = 263;

PressResult handled(App& app) {
    app.state.clickHandled = true;
    return PressResult::Handled;
}

void endDecade(App& app) { endPresetDecade(app, app.state.presetIndex); }

// The pressed face of a morph handle, into the window and into panelDC.
void pressHandleFace(App& app, int x, int y, int w, int h, int sx, int sy) {
    app.platform.display.copy(Target::Window, x, y, w, h, sx, sy);
    app.platform.display.copy(Target::Skin, x, y, w, h, sx, sy);
}

PressResult leftMorphKey(App& app, int, int) {
    startMorph(app, app.state.panelStyle == styleFull ? morphFullToCompact : morphCompactToFull);
    pressHandleFace(app, leftHandleX, leftHandleY, 6, 20, leftHandlePressedX, leftHandlePressedY);
    endDecade(app);
    return handled(app);
}

PressResult topMorphKey(App& app, int, int) {
    int style = app.state.panelStyle;
    if (style != styleFull) {
        startMorph(app, style == styleCompact ? morphCompactToMini : morphMiniToCompact);
        pressHandleFace(app, topHandleX, topHandleY, 20, 6, topHandlePressedX, topHandlePressedY);
    }
    endDecade(app);
    return handled(app);
}

PressResult whileMorphing(App& app, int, int) {
    if (app.state.morphState == 0) return PressResult::Pass;
    cancelStore(app);
    endDecade(app);
    return PressResult::Handled;  // the press ends here, without a drag
}

PressResult helpKey(App& app, int, int) {
    pressHelpButton(app);
    endDecade(app);
    return handled(app);
}

PressResult storeOrVolume(App& app, int x, int) {
    pressStoreOrVolume(app, x);
    endDecade(app);
    return handled(app);
}

PressResult miniVolume(App& app, int x, int) {
    pressStoreOrVolume(app, x);
    return handled(app);
}

PressResult decadeKey(App& app, int, int) {
    pressDecadeButton(app);
    return handled(app);
}

PressResult frequencyDisplay(App& app, int, int) {
    minimizeToTitle(app);
    return handled(app);
}

PressResult topKeypadRow(App& app, int x, int) {
    if (pressPresetKey(app, x, 0)) {
        endDecade(app);
        return handled(app);
    }
    if (x >= powerLeft && x <= powerRight) {
        app.state.clickHandled = true;
        pressPowerKey(app, powerKeyX);
        return PressResult::Handled;
    }
    return PressResult::Drag;  // the gaps: no key, and the decade stays pending
}

PressResult bottomKeypadRow(App& app, int x, int) {
    int hit = pressPresetKey(app, x, 1);
    endDecade(app);
    return hit ? handled(app) : PressResult::Drag;
}

PressResult bottomRow(App& app, int x, int) {
    int hit = pressFrontButton(app, x);
    cancelStore(app);
    endDecade(app);
    return hit ? handled(app) : PressResult::Drag;
}

PressResult background(App& app, int, int) {
    cancelStore(app);
    endDecade(app);
    return PressResult::Drag;
}

PressResult miniPowerKey(App& app, int, int) {
    app.state.clickHandled = true;
    pressPowerKey(app, miniPowerKeyX);
    return PressResult::Handled;
}

PressResult inertHandle(App& app, int, int) { return handled(app); }

PressResult nothing(App&, int, int) { return PressResult::Drag; }

// Full and compact panels.
const HitRegion fullRegions[] = {
    {3, 53, 9, 70, "left morph key", leftMorphKey},
    {155, 4, 172, 9, "top morph key", topMorphKey},
    {anywhere, anywhere, 0, 0, "morph running", whileMorphing},
    {100, 52, 120, 68, "help key", helpKey},
    {125, 52, 172, 68, "store plate or volume rocker", storeOrVolume},
    {331, 44, 351, 65, "decade key", decadeKey},
    {23, 54, 98, 65, "frequency display", frequencyDisplay},
    {anywhere, 18, 0, 39, "top keypad row", topKeypadRow},
    {anywhere, 44, 0, 65, "bottom keypad row", bottomKeypadRow},
    {anywhere, 86, 0, 101, "bottom row", bottomRow},
    {anywhere, anywhere, 0, 0, "background", background},
};

// The mini panel.
const HitRegion miniRegions[] = {
    {180, 18, 200, 39, "power key", miniPowerKey},
    {100, 52, 120, 68, "help key", helpKey},
    {125, 52, 172, 68, "volume rocker", miniVolume},
    {3, 53, 9, 70, "left morph key (inert)", inertHandle},
    {155, 4, 172, 9, "top morph key", topMorphKey},
    {23, 54, 98, 65, "frequency display", frequencyDisplay},
    {anywhere, anywhere, 0, 0, "background", nothing},
};

bool contains(const HitRegion& r, int x, int y) {
    bool inX = r.left == anywhere || (x >= r.left && x <= r.right);
    bool inY = r.top == anywhere || (y >= r.top && y <= r.bottom);
    return inX && inY;
}
}  // namespace

const HitRegion* hitRegionsFor(int panelStyle, int* count) {
    if (panelStyle == styleMini) {
        *count = int(sizeof miniRegions / sizeof miniRegions[0]);
        return miniRegions;
    }
    *count = int(sizeof fullRegions / sizeof fullRegions[0]);
    return fullRegions;
}

PressResult runHitRegions(App& app, int x, int y) {
    int count = 0;
    const HitRegion* regions = hitRegionsFor(app.state.panelStyle, &count);
    for (int i = 0; i < count; ++i) {
        if (!contains(regions[i], x, y)) continue;
        PressResult result = regions[i].press(app, x, y);
        if (result != PressResult::Pass) return result;
    }
    return PressResult::Drag;
}

void pressPowerKey(App& app, int keyX) {
    Display& display = app.platform.display;
    display.copy(Target::Window, keyX, powerKeyY, powerKeyW, powerKeyH, powerPressedX, powerPressedY);
    cancelStore(app);
    endDecade(app);
    closePanel(app);
    // Matters when the user cancelled the question; after a close nothing draws any more.
    if (!app.state.skinReleased)
        display.copy(Target::Window, keyX, powerKeyY, powerKeyW, powerKeyH, powerKeyX, powerKeyY);
}

void minimizeToTitle(App& app) {
    cancelStore(app);
    endDecade(app);
    app.platform.window.setArrowCursor();
    char title[32];
    std::snprintf(title, sizeof title, "%.1f", double(app.state.frequency));
    app.platform.window.setTitle(title);
    app.platform.window.minimize();
}

}  // namespace orv
