// What a frequency reads as: the one corrected value that both the readout
// and the card's divider are taken from, so the card plays what the panel shows.
#pragma once

#include <cstdint>

namespace orv {

// What the seven readout cells show for f: whole MHz part and thousandths.
struct FrequencyDigits {
    int whole;        // 0..199
    int thousandths;  // 0..995, a multiple of 5
};

// The digits for f MHz at the display's 5 kHz, with the float error absorbed
// (98.0999985 reads 98.100). f must lie in 0..frequencyDigitsLimit.
FrequencyDigits frequencyDigits(double frequency);

// Frequencies this far from zero have no readout (and no float error worth correcting).
constexpr double frequencyDigitsLimit = 1.0e6;

// The shown frequency in kHz (98.100 -> 98100).
int64_t shownKiloHertz(const FrequencyDigits& digits);

// f rounded to the nearest whole kHz. Steps land there, so that hundreds of
// fine steps do not add up the float error of each (0.2 of a float step per
// 0.025 MHz): without it the readout drifts off the grid (91.595 after 91.625)
// and 108.0 is never reached from below.
double roundToKiloHertz(double frequency);

}  // namespace orv
