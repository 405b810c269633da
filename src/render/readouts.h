// The frequency readout and the preset number, composed of glyphs out of panelDC.
#pragma once

#include "shell/receiver_state.h"
#include "tuner/frequency.h"

namespace orv {

// Glyph strips in the skin.
constexpr int bigDigitX = 265, bigDigitY = 299, bigDigitW = 14, bigDigitH = 21;  // digit d at 265 + 14 d
constexpr int smallDigitX = 269, smallDigitY = 272, smallDigitW = 7, smallDigitH = 10;  // digit d at 269 + 7 d
constexpr int pendingMarkX = 339, pendingMarkY = 272;  // the cell after small digit 9
constexpr int blankReadoutX = 3, blankReadoutY = 224;  // also the small blank cell

// Cells of the big readout on the window (all at y 23, 21 high).
constexpr int readoutY = 23;
constexpr int hundredsCellX = 76, tensCellX = 81, unitsCellX = 95, pointCellX = 109;
constexpr int tenthsCellX = 113, hundredthsCellX = 127, thousandthsCellX = 141;
constexpr int readoutWidth = 79;
// The preset readout.
constexpr int presetLeftX = 157, presetRightX = 164, presetCellY = 33;

// Copies big digit d (0..9) to the cell at x of the big readout.
void drawBigDigit(App& app, int cellX, int digit);
// The seven frequency cells for f MHz, rounded to the display's 5 kHz.
void drawFrequency(App& app, double frequency);
// drawFrequency, then drawPresetNumber.
void drawFrequencyAndPreset(App& app, int presetNumber, double frequency);
// Preset 1..99 in the two small cells; numbers below 10 are left-aligned.
void drawPresetNumber(App& app, int presetNumber);
// The decade's tens digit and the pending mark.
void drawPresetDecade(App& app, int decade);

}  // namespace orv
