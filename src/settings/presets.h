// Making a preset current, and storing into it while the store is armed.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// Selects preset n (1..99) after old; the key's lit look arrives when the
// press ends. Stores the tuned frequency into n first when MF_STORE is set. Returns 1.
int selectPreset(App& app, int n, int old);
// The same, but the lit look is shown at once (remote requests and the alarm).
int recallPreset(App& app, int n, int old);

}  // namespace orv
