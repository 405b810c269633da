#include "settings/presets.h"

#include <cstdio>

#include "render/indicators.h"
#include "render/readouts.h"
#include "shell/window_proc.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
constexpr int labelX = 2, labelY = 212, labelSize = 7;  // label of key k at (2 + 7 k, 212)
constexpr int pressedStampX = 149, pressedStampY = 187;  // inside the pressed look
constexpr int litStampX = 120, litStampY = 209;          // inside the lit look

enum class LitLook { OnRelease, AtOnce };

int makePresetCurrent(App& app, int n, int old, LitLook lit) {
    ReceiverState& s = app.state;
    Display& display = app.platform.display;
    Profile& profile = app.platform.profile;
    const int k = presetKeyIndex(n);
    const int j = presetKeyIndex(old);
    char text[32];

    display.beginWindowDraw();
    if (s.modeFlags & MF_STORE) {
        s.presetTable[n - 1] = s.frequency;
        s.modeFlags &= ~MF_STORE;
        display.copy(Target::Window, plateX, plateY, plateWidth, plateHeight, plateX, plateY);
        char key[16];
        std::snprintf(key, sizeof key, "STATION%d", n);
        std::snprintf(text, sizeof text, "%f", double(s.frequency));
        profile.writeString("RadioStation", key, text);
    }
    std::snprintf(text, sizeof text, "%d", n);
    profile.writeString("RadioStation", "STATION", text);

    const int labelSource = labelX + labelSize * k;
    display.copy(Target::Skin, pressedStampX, pressedStampY, labelSize, labelSize, labelSource, labelY);
    display.copy(Target::Skin, litStampX, litStampY, labelSize, labelSize, labelSource, labelY);

    if (s.panelStyle != styleMini) {
        const KeyPlace& key = presetKeyPlace(k);
        const KeyPlace& previous = presetKeyPlace(j);
        display.copy(Target::Window, key.x, key.y, keyWidth, keyHeight, keyPressedX, keyPressedY);
        display.copy(Target::Window, previous.x, previous.y, keyWidth, keyHeight, previous.x, previous.y);
        if (lit == LitLook::OnRelease)
            armFaceRestore(app, key.x, key.y, keyWidth, keyHeight, keyLitX, keyLitY, key.x, key.y, key.x + keyWidth,
                           key.y + keyHeight);
        else
            display.copy(Target::Window, key.x, key.y, keyWidth, keyHeight, keyLitX, keyLitY);
    }
    display.endWindowDraw();

    s.frequency = s.presetTable[n - 1];
    drawFrequencyAndPreset(app, n, s.frequency);
    tuneFrequency(app, s.frequency, s.modeFlags);
    drawSignalLamp(app, s.modeFlags);
    return 1;
}
}  // namespace

int selectPreset(App& app, int n, int old) { return makePresetCurrent(app, n, old, LitLook::OnRelease); }

int recallPreset(App& app, int n, int old) { return makePresetCurrent(app, n, old, LitLook::AtOnce); }

}  // namespace orv
