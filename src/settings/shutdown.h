// Closing the panel: the quit question, the record of slumber, alarm and
// position, and the release of the skin.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// Asks whether the music should go on, sets the card, saves, releases the
// skin and destroys the window. Cancel leaves everything as it was.
void closePanel(App& app);
// Writes what closing saves: the slumber and alarm record and the window position.
void saveShutdownRecord(App& app);
// The user's session ends (log-off, shut-down): ends a drag and saves what
// closing saves, without the quit question; the process ends after it.
void endSession(App& app);
// Deletes panelDC, the bitmaps, skinBlock and the palette.
void releaseSkinResources(App& app);

}  // namespace orv
