#include "render/readouts.h"

namespace orv {

namespace {
constexpr int narrowBlankX = 409, narrowOneX = 414, narrowGlyphY = 299, narrowW = 5;
constexpr int pointW = 4;

void copyToWindow(App& app, int x, int y, int w, int h, int sx, int sy) {
    app.platform.display.copy(Target::Window, x, y, w, h, sx, sy);
}

void drawSmallDigit(App& app, int cellX, int digit) {
    copyToWindow(app, cellX, presetCellY, smallDigitW, smallDigitH, smallDigitX + smallDigitW * digit, smallDigitY);
}
}  // namespace

void drawBigDigit(App& app, int cellX, int digit) {
    copyToWindow(app, cellX, readoutY, bigDigitW, bigDigitH, bigDigitX + bigDigitW * digit, bigDigitY);
}

void drawFrequency(App& app, double frequency) {
    FrequencyDigits d = frequencyDigits(frequency);
    Display& display = app.platform.display;
    display.beginWindowDraw();
    int whole = d.whole;
    if (whole >= 100) {
        copyToWindow(app, hundredsCellX, readoutY, narrowW, bigDigitH, narrowOneX, narrowGlyphY);
        whole -= 100;
    } else {
        copyToWindow(app, hundredsCellX, readoutY, narrowW, bigDigitH, narrowBlankX, narrowGlyphY);
    }
    drawBigDigit(app, tensCellX, whole / 10);
    drawBigDigit(app, unitsCellX, whole % 10);
    // The face carries the printed point; this puts it back after the alarm colon.
    copyToWindow(app, pointCellX, readoutY, pointW, bigDigitH, pointCellX, readoutY);
    drawBigDigit(app, tenthsCellX, d.thousandths / 100);
    drawBigDigit(app, hundredthsCellX, d.thousandths % 100 / 10);
    drawBigDigit(app, thousandthsCellX, d.thousandths % 10);
    display.endWindowDraw();
}

void drawFrequencyAndPreset(App& app, int presetNumber, double frequency) {
    drawFrequency(app, frequency);
    drawPresetNumber(app, presetNumber);
}

void drawPresetNumber(App& app, int n) {
    int tens = n / 10;
    Display& display = app.platform.display;
    display.beginWindowDraw();
    if (tens > 0) {
        drawSmallDigit(app, presetLeftX, tens);
        drawSmallDigit(app, presetRightX, n - 10 * tens);
    } else {
        copyToWindow(app, presetRightX, presetCellY, smallDigitW, smallDigitH, blankReadoutX, blankReadoutY);
        drawSmallDigit(app, presetLeftX, n);
    }
    display.endWindowDraw();
}

void drawPresetDecade(App& app, int decade) {
    Display& display = app.platform.display;
    display.beginWindowDraw();
    drawSmallDigit(app, presetLeftX, decade / 10);
    copyToWindow(app, presetRightX, presetCellY, smallDigitW, smallDigitH, pendingMarkX, pendingMarkY);
    display.endWindowDraw();
}

}  // namespace orv
