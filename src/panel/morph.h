// The animated change between the full, compact and mini panels.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

// Morph requests from the handles.
constexpr int morphFullToCompact = 1;
constexpr int morphCompactToFull = 2;
constexpr int morphCompactToMini = 3;
constexpr int morphMiniToCompact = 4;

// Starts the morph of request 1..4 when the style allows it.
void startMorph(App& app, int request);
// One step of a running morph; nothing while none runs.
void morphTick(App& app);

}  // namespace orv
