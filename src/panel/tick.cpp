#include "panel/tick.h"

#include "panel/morph.h"
#include "render/clock_readouts.h"

namespace orv {

void periodicTick(App& app) {
    morphTick(app);
    if (app.state.morphState == 0) clockTick(app, app.state.frequency, app.state.presetIndex);
}

void clockTick(App& app, double, int) {
    LocalTime now = app.platform.clock.localTime();
    drawClock(app, now.hour, now.minute);
}

}  // namespace orv
