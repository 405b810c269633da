// The settings file "orvanta.ini": keys, defaults and range rules.
#pragma once

#include <cstdint>
#include <string>

#include "shell/receiver_state.h"

namespace orv {

extern const char* const settingsFile;  // "orvanta.ini"

// Reads port address, band edge, presets, current preset, mute, alarm time and style.
void loadSettings(App& app);
// Reads "SYSTEM"/"ADDR" and "SYSTEM"/"MIN" into portAddress and minFrequency.
void readSystemSettings(App& app);
// Replaces every entry below minFrequency, above 108.0 or not a number by minFrequency.
void clampPresets(float (&table)[presetSlots], float minFrequency);
// Upper-cased hex digits up to the first other character; digits beyond the eighth push out the first.
uint32_t parseHex(const char* text);
// Text to single precision with the standard conversion; 0 when the text holds no number.
float parseFrequency(const std::string& text);

}  // namespace orv
