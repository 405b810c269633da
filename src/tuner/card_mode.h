// Which card the settings name. The core never knows which card it drives;
// a back end reads this once, after the window exists, and opens that card.
#pragma once

#include <string>

#include "platform/platform.h"

namespace orv {

enum class CardMode {
    Auto,       // the real card where the system grants access (on Linux: a radio device), else simulated
    Simulated,  // always the simulated card
    Port,       // the card's I/O port, or an error when the system grants no access
    V4l2,       // a Video4Linux2 radio receiver (Linux)
};

// Section "Card", key MODE: "auto" (the default, and what an unknown value
// means), "simulated", "port" or "v4l2", in any case. Files from before that
// section name the simulated card with "Simulator"/MODE=simulated; that keeps
// its meaning while "Card"/MODE is absent.
CardMode readCardMode(Profile& profile);

}  // namespace orv
