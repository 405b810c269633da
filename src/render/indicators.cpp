#include "render/indicators.h"

#include "panel/buttons.h"
#include "render/readouts.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace orv {

namespace {
// place, size, on look, off look. Where a look equals the place it is the face itself.
constexpr IndicatorLook indicatorLooks[] = {
    /* SignalLamp    */ {44, 22, 29, 10, 360, 220, 360, 230},
    /* MuteButton    */ {170, 83, 35, 22, 312, 158, 170, 83},
    /* MuteLamp      */ {29, 22, 11, 9, 2, 252, 29, 22},
    /* SlumberButton */ {12, 83, 35, 22, 236, 159, 12, 83},
    /* SlumberLamp   */ {20, 24, 6, 7, 20, 24, 215, 141},
    /* AlarmButton   */ {84, 83, 35, 22, 312, 158, 84, 83},
    /* AlarmLamp     */ {19, 35, 8, 8, 19, 35, 214, 152},
    /* HelpButton    */ {100, 52, 21, 17, 374, 87, 100, 52},
    /* DecadeButton  */ {331, 44, 21, 22, 399, 230, 331, 44},
};

constexpr KeyPlace keyPlaces[10] = {{187, 18}, {215, 18}, {243, 18}, {271, 18}, {299, 18},
                                    {187, 44}, {215, 44}, {243, 44}, {271, 44}, {299, 44}};

void armReleaseOf(App& app, Indicator indicator) {
    const IndicatorLook& l = indicatorLook(indicator);
    armFaceRestore(app, l.x, l.y, l.width, l.height, l.offX, l.offY, l.x, l.y, l.x + l.width - 1,
                   l.y + l.height - 1);
}
}  // namespace

const IndicatorLook& indicatorLook(Indicator indicator) { return indicatorLooks[int(indicator)]; }

void showIndicator(App& app, Indicator indicator, bool on) {
    const IndicatorLook& l = indicatorLook(indicator);
    app.platform.display.copy(Target::Window, l.x, l.y, l.width, l.height, on ? l.onX : l.offX, on ? l.onY : l.offY);
}

const KeyPlace& presetKeyPlace(int keyIndex) { return keyPlaces[keyIndex]; }

int presetKeyIndex(int presetNumber) {
    int key = presetNumber % 10;
    return (key == 0 ? 10 : key) - 1;
}

void drawSignalLamp(App& app, uint32_t flags) { showIndicator(app, Indicator::SignalLamp, (flags & MF_SIGNAL) != 0); }

void drawPresetLamp(App& app, int presetNumber) {
    if (app.state.panelStyle == styleMini) return;
    const KeyPlace& key = presetKeyPlace(presetKeyIndex(presetNumber));
    app.platform.display.copy(Target::Window, key.x, key.y, presetLampSize, presetLampSize, keyLitX, keyLitY);
}

int pressHelpButton(App& app) {
    showIndicator(app, Indicator::HelpButton, true);
    if (ShowHelp(app)) {
        armReleaseOf(app, Indicator::HelpButton);
    } else {
        // The message box took the button's release: let the key up now.
        showIndicator(app, Indicator::HelpButton, false);
    }
    return 1;
}

int pressDecadeButton(App& app) {
    showIndicator(app, Indicator::DecadeButton, true);
    stepPresetDecade(app);
    drawPresetDecade(app, app.state.presetDecade);
    armReleaseOf(app, Indicator::DecadeButton);
    return 1;
}

void releaseSlumberButton(App& app) { showIndicator(app, Indicator::SlumberButton, false); }

void releaseAlarmButton(App& app) { showIndicator(app, Indicator::AlarmButton, false); }

}  // namespace orv
