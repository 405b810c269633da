// The small clock, and the alarm and slumber readouts shown in the big readout.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// The clock in 12-hour form with its AM/PM mark, into panelDC and the window.
void drawClock(App& app, int hour, int minute);
// Blanks the whole big readout.
void clearReadout(App& app);
// alarmHour:alarmMinute with the big AM/PM glyph.
void drawAlarmReadout(App& app);
// slumberMinutes, the separator, slumberRemaining.
void drawSlumberReadout(App& app);

}  // namespace orv
