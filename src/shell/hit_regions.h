// The click regions of the panel, one table per style, tested in order.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// What a region made of a press.
enum class PressResult {
    Pass,     // the region does not apply after all: test the next one
    Handled,  // the press was taken (clickHandled set); no drag
    Drag,     // the press falls through to a window drag
};

struct HitRegion {
    int left, top, right, bottom;  // inclusive client pixels; -1 as left or top: any x or y
    const char* name;
    PressResult (*press)(App& app, int x, int y);
};

// The table for the current panelStyle.
const HitRegion* hitRegionsFor(int panelStyle, int* count);
// Runs the first region that contains (x, y); sets clickHandled. Returns what became of the press.
PressResult runHitRegions(App& app, int x, int y);
// The power key at key x (331, or 180 in the mini panel): pressed look, close, released look.
void pressPowerKey(App& app, int keyX);
// The frequency display: the title shows the frequency and the window is minimised.
void minimizeToTitle(App& app);

}  // namespace orv
