// The periodic tick on timer 1: the morph step, then the clock tick.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// Timer 1: morphTick, then clockTick when no morph runs (any more).
void periodicTick(App& app);
// The clock, the seek step, the setting windows, the slumber and the alarm.
void clockTick(App& app, double frequency, int presetNumber);

}  // namespace orv
