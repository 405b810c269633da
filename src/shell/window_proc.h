// The window procedure's core: every message a back end decodes arrives here
// as a neutral call. Mouse positions are client pixels; numbers are the low
// 16 bits of wParam.
#pragma once

#include <cstdint>

#include "shell/receiver_state.h"

namespace orv {

// Window creation: disarm the face restore, load the skin, build panelDC.
void onCreate(App& app);
// Window destruction: post the quit message with exit code 0.
void onDestroy(App& app);
// The paint message: place the window, then paint the panel. False when the
// skin is not loaded and the message belongs to default processing.
bool onPaintMessage(App& app);
// The close request.
void onClose(App& app);
// Key down with a virtual-key code; key up.
void onKeyDown(App& app, unsigned virtualKey);
void onKeyUp(App& app);
// A timer expired.
void onTimer(App& app, unsigned timerId);
// Mouse move; leftButtonOnly is true when wParam says exactly that the left
// button is down (no other button, no Shift or Ctrl).
void onMouseMove(App& app, bool leftButtonOnly, int x, int y);
void onLeftDown(App& app, int x, int y);
void onLeftUp(App& app);
// The mouse capture was taken away (another window, Alt+Tab, a cancel-mode
// request): a drag ends where its outline is, as a release would end it.
void onCaptureLost(App& app);
// The session ends for real (log-off, shut-down): save without asking.
void onEndSession(App& app);
// The system palette changed; byOtherWindow when another window changed it.
void onPaletteChanged(App& app, bool byOtherWindow);
// The three registered messages, compared first and in order. True when
// message was one of them (and has been handled).
bool onRegisteredMessage(App& app, uint32_t message, uint32_t wParam);

// The remote-control requests.
void remoteSetStation(App& app, uint32_t number);
void remoteSetVolume(App& app, uint32_t value);
void remoteMute(App& app, uint32_t value);

// Clears the pending decade, stops its timer and draws preset number n.
void endPresetDecade(App& app, int presetNumber);
// Removes the store plate when the store is armed; clears MF_STORE always.
void cancelStore(App& app);
// Arms the primary face restore: copy w x h from panelDC (sx, sy) to the
// window at (x, y) on release; hot rectangle inclusive.
void armFaceRestore(App& app, int x, int y, int w, int h, int sx, int sy, int left, int top,
                    int right, int bottom);
// The secondary restore, performed together with the primary one.
void armSecondFaceRestore(App& app, int x, int y, int w, int h, int sx, int sy, int left, int top,
                          int right, int bottom);
// Performs the armed restores (only when the primary one is armed).
void releaseFaces(App& app);

}  // namespace orv
