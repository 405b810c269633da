#include "shell/remote_requests.h"

#include <cmath>

#include "panel/buttons.h"
#include "render/indicators.h"
#include "settings/presets.h"
#include "tuner/frequency.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
constexpr double gridMHz = 0.025;
// Band edges given in MHz are compared with this much room for the float they are stored in.
constexpr double edgeSlackMHz = 1e-4;
}  // namespace

bool insideBand(const ReceiverState& s, double mhz) {
    return std::isfinite(mhz) && mhz >= double(s.minFrequency) - edgeSlackMHz &&
           mhz <= double(upperBandEdge) + edgeSlackMHz;
}

bool tuneToFrequency(App& app, double mhz) {
    ReceiverState& s = app.state;
    if (!insideBand(s, mhz)) return false;
    double onGrid = roundToKiloHertz(std::round(mhz / gridMHz) * gridMHz);
    // Rounding must not leave the band the check just accepted.
    if (onGrid < s.minFrequency) onGrid += gridMHz;
    if (onGrid > upperBandEdge) onGrid -= gridMHz;
    s.frequency = float(roundToKiloHertz(onGrid));
    retuneAndRedraw(app);
    return true;
}

void seekFrom(App& app, int direction) { startSeek(app, direction > 0 ? +1 : -1); }

void stepPreset(App& app, int direction) {
    ReceiverState& s = app.state;
    const int old = s.presetIndex;
    int next = old + (direction > 0 ? 1 : -1);
    if (next > presetCount) next = 1;
    if (next < 1) next = presetCount;
    s.presetIndex = next;
    recallPreset(app, next, old);
}

void setMuted(App& app, bool muted) {
    ReceiverState& s = app.state;
    if (((s.modeFlags & MF_MUTED) != 0) == muted) return;
    if (muted) {
        s.modeFlags |= MF_MUTED;
        app.platform.profile.writeString("AudioSettings", "MUTE", "1");
    } else {
        s.modeFlags &= ~MF_MUTED;
    }
    tuneFrequency(app, s.frequency, s.modeFlags);
    drawSignalLamp(app, s.modeFlags);
    if (!muted) app.platform.profile.writeString("AudioSettings", "MUTE", nullptr);
    Display& display = app.platform.display;
    display.beginWindowDraw();
    showIndicator(app, Indicator::MuteButton, muted);
    showIndicator(app, Indicator::MuteLamp, muted);
    display.endWindowDraw();
}

}  // namespace orv
