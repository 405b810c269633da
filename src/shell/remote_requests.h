// What other programs may ask of the panel beyond the three registered
// messages: tune, seek, step through the presets, mute and unmute. Each does
// what the panel's own control does, so the readouts, lamps, settings and
// card follow.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// True when mhz lies inside the band the tuning keys cover, lowestMHz up to
// 108.0 (checked as given, before rounding).
bool insideBand(double lowestMHz, double mhz);
// mhz on the 25 kHz grid, kept inside the band from lowestMHz up.
double onTuningGrid(double lowestMHz, double mhz);
// Tunes to mhz on the 25 kHz grid, as the tuning keys do. False (nothing
// happens) when mhz is outside the band or no number.
bool tuneToFrequency(App& app, double mhz);
// Starts a seek up (direction > 0) or down, as the seek buttons do.
void seekFrom(App& app, int direction);
// Selects the next (direction > 0) or previous preset number, 99 wrapping to 1.
void stepPreset(App& app, int direction);
// Mutes or unmutes as the mute button does (lamp, key, the MUTE setting and
// the card); nothing when it already is so.
void setMuted(App& app, bool muted);

}  // namespace orv
