// The paint handler and the window drag.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// Paints the panel for panelStyle: the wipe or the style's first-paint work,
// the clock, the mute, slumber and alarm looks, the readouts and the lamps.
void paintPanel(App& app);
// Inverts a one-border-thick frame just outside rect on the screen; drawing it twice restores the screen.
void drawDragFrame(App& app, Rect rect);
// A press that no region took: outline the window and capture the mouse.
void startDrag(App& app);
// The pointer moved during a drag: move the outline.
void moveDrag(App& app, Point pointer);
// The button went up during a drag: erase the outline, move the window
// there, close the screen context and release the mouse.
void endDrag(App& app);
// endDrag without releasing the mouse: for a capture the system took away.
void finishDrag(App& app);

}  // namespace orv
