// Keyboard commands.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// Runs the command of a virtual-key code; codes the table does not list are ignored.
void handleKey(App& app, unsigned virtualKey);

}  // namespace orv
