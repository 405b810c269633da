// The periodic tick on timer 1: the morph step, then the clock tick.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// Timer 1: morphTick, then clockTick when no morph runs (any more).
void periodicTick(App& app);
// The clock, the seek step, the setting windows, the slumber and the alarm,
// with the frequency and preset number as they were when the timer expired.
void clockTick(App& app, double frequency, int presetNumber);

// One fine step of a running seek (upward wins when both bits are set); the
// seek ends, and the clock goes back to 3000 ms, when the card hears a signal.
void seekStep(App& app);
// Closes the alarm-setting window and saves the alarm with the selected preset as its station.
void commitAlarmSetting(App& app, double frequency, int presetNumber);
// Closes the slumber-setting window and saves the slumber length.
void commitSlumberSetting(App& app, double frequency, int presetNumber);
// Counts a running slumber down; once its end has passed it mutes the radio.
void checkSlumber(App& app);
// Fires an armed alarm in its minute: unmutes and recalls the saved alarm station.
void checkAlarm(App& app);

}  // namespace orv
