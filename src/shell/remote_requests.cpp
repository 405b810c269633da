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
// The band edges are whole kHz; this is room for the double arithmetic only.
constexpr double edgeSlackMHz = 1e-9;
}  // namespace

bool insideBand(double lowestMHz, double mhz) {
    // The lower edge is stored as a float: it counts as the kHz it stands for.
    return std::isfinite(mhz) && mhz >= roundToKiloHertz(lowestMHz) - edgeSlackMHz &&
           mhz <= double(upperBandEdge) + edgeSlackMHz;
}

double onTuningGrid(double lowestMHz, double mhz) {
    double onGrid = roundToKiloHertz(std::round(mhz / gridMHz) * gridMHz);
    // Rounding must not leave the band the check accepted.
    if (onGrid < roundToKiloHertz(lowestMHz) - edgeSlackMHz) onGrid = roundToKiloHertz(onGrid + gridMHz);
    if (onGrid > upperBandEdge + edgeSlackMHz) onGrid = roundToKiloHertz(onGrid - gridMHz);
    return onGrid;
}

bool tuneToFrequency(App& app, double mhz) {
    ReceiverState& s = app.state;
    if (!insideBand(s.minFrequency, mhz)) return false;
    s.frequency = float(onTuningGrid(s.minFrequency, mhz));
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
    if (((app.state.modeFlags & MF_MUTED) != 0) == muted) return;
    switchMute(app, muted);
    Display& display = app.platform.display;
    display.beginWindowDraw();
    showIndicator(app, Indicator::MuteButton, muted);
    showIndicator(app, Indicator::MuteLamp, muted);
    display.endWindowDraw();
}

}  // namespace orv
