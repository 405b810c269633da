// Lamps and button looks: the one table of indicator looks, and the buttons
// that belong to drawing (help, decade, the releases of slumber and alarm).
#pragma once

#include "shell/receiver_state.h"

namespace orv {

enum class Indicator {
    SignalLamp,
    MuteButton,
    MuteLamp,
    SlumberButton,
    SlumberLamp,
    AlarmButton,
    AlarmLamp,
    HelpButton,
    DecadeButton,
};

// Where an indicator sits and its two looks. A look at the indicator's own
// place is the face's own pixels.
struct IndicatorLook {
    int x, y, width, height;  // place on the window
    int onX, onY;             // on (lit, pressed) look in panelDC
    int offX, offY;           // off (released) look in panelDC
};

const IndicatorLook& indicatorLook(Indicator indicator);
// Copies the indicator's on or off look to its place on the window.
void showIndicator(App& app, Indicator indicator, bool on);

// The place of the store plate (full panel) and the volume rocker (compact and mini).
constexpr int plateX = 125, plateY = 52, plateWidth = 48, plateHeight = 17;

// Preset keypad: key k (0..9) place; pressed and lit looks are shared by all keys.
struct KeyPlace {
    int x, y;
};
constexpr int keyWidth = 27, keyHeight = 22;
constexpr int keyPressedX = 132, keyPressedY = 176;
constexpr int keyLitX = 104, keyLitY = 199;
constexpr int presetLampSize = 10;
const KeyPlace& presetKeyPlace(int keyIndex);
// The key (0..9) that shows preset n: presets 1, 11, 21 .. share key 0, and 10, 20 .. key 9.
int presetKeyIndex(int presetNumber);

// The signal lamp from the MF_SIGNAL bit of flags.
void drawSignalLamp(App& app, uint32_t flags);
// Lights the lamp of preset n's key (nothing in the mini panel).
void drawPresetLamp(App& app, int presetNumber);
// Shows the help key pressed, opens the help file, arms the release. Returns 1.
int pressHelpButton(App& app);
// Shows the decade key pressed, steps the decade, shows it, arms the release. Returns 1.
int pressDecadeButton(App& app);
// The slumber-on and alarm buttons back in their released looks.
void releaseSlumberButton(App& app);
void releaseAlarmButton(App& app);

}  // namespace orv
