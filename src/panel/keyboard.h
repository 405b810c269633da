// Keyboard commands.
#pragma once

#include <vector>

#include "shell/receiver_state.h"

namespace orv {

// The virtual-key codes the panel knows. A back end without them maps its keys onto these.
namespace vk {
constexpr unsigned left = 0x25, up = 0x26, right = 0x27, down = 0x28;
constexpr unsigned digit0 = 0x30;  // digits 1..9 follow
constexpr unsigned letterA = 0x41, letterH = 0x48, letterL = 0x4C, letterM = 0x4D, letterN = 0x4E;
constexpr unsigned letterP = 0x50, letterQ = 0x51, letterT = 0x54, letterU = 0x55;
constexpr unsigned numpad0 = 0x60;  // numeric pad 1..9 follow
constexpr unsigned add = 0x6B, separator = 0x6C, subtract = 0x6D, decimal = 0x6E;
constexpr unsigned f1 = 0x70, f2 = 0x71, f5 = 0x74, f6 = 0x75;
constexpr unsigned first = left, last = f6;  // codes outside this range are never commands
}  // namespace vk

// Runs the command of a virtual-key code; codes the table does not list are ignored.
// While a style morph runs only mute and the numeric-pad volume keys act.
void handleKey(App& app, unsigned virtualKey);

// The virtual-key codes that have a command, in table order.
std::vector<unsigned> commandKeyCodes();

// A coarse keyboard step of f in MHz: plain +-0.1 (no grid), with the band wrap.
float coarseKeyStep(float frequency, float minFrequency, int direction);

}  // namespace orv
