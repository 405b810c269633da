// What the panel's buttons do when pressed with the mouse: the preset keypad,
// the decade key, the store plate or volume rocker, and the bottom row.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// A click at x on keypad row 0 (top, y 18..39) or 1 (bottom, y 44..65):
// selects the key's preset. The result of selectPreset, or 0 when no key was hit.
int pressPresetKey(App& app, int x, int row);
// Starts a decade entry at 10 or advances it by 10 (after 90 back to 10); restarts the decade timer.
void stepPresetDecade(App& app);
// The store plate (full panel) or the volume rocker (compact and mini). Returns 1.
int pressStoreOrVolume(App& app, int x);
// A click at x on the bottom row (y 86..101). 1 when a button was hit, else 0.
int pressFrontButton(App& app, int x);
// Timer 2: repeats the held tuning key, or stops itself.
void repeatTick(App& app);

// The steps behind the bottom row, also used by the keyboard and the tick.
void stepFrequencyFine(App& app, int direction);    // +-0.025 MHz with wrap
void stepFrequencyCoarse(App& app, int direction);  // to the neighbouring 0.1 MHz grid point, with wrap
void stepAlarmMinute(App& app, int direction);
void stepAlarmHour(App& app, int direction);
void stepSlumberMinutes(App& app, int direction);   // wraps within 1..59
void startSeek(App& app, int direction);
void toggleMute(App& app);
// The mute button's work without its look: the card muted or not, the MUTE
// setting kept, the signal lamp drawn.
void switchMute(App& app, bool muted);
void slumberOn(App& app);
void slumberOff(App& app);
void alarmOn(App& app);
// Starts clockTimer again at 3000 ms: an open setting window stays open 3 s more.
void restartClock(App& app);
// drawFrequencyAndPreset, tuneFrequency, drawSignalLamp.
void retuneAndRedraw(App& app);
// f + stepMHz, on whole kHz, with the band wrap: above 108.0 to minFrequency,
// below minFrequency to 108.0.
float bandStep(float frequency, float minFrequency, double stepMHz);
// A fine step of f in MHz with the band wrap: above 108.0 to minFrequency, below minFrequency to 108.0.
float fineStep(float frequency, float minFrequency, int direction);
// A coarse button step of f in MHz: to the neighbouring 0.1 MHz grid point, with the band wrap.
float coarseGridStep(float frequency, float minFrequency, int direction);

}  // namespace orv
