#include "render/clock_readouts.h"

#include "render/readouts.h"

namespace orv {

namespace {
// Clock glyphs (8 x 10) and cells (y 34).
constexpr int clockDigitX = 267, clockDigitY = 239, clockDigitW = 8, clockDigitH = 10;
constexpr int hourTensOneX = 276;    // a window one pixel right of clock digit one
constexpr int hourTensBlankX = 262;  // a window five pixels left of clock digit zero
constexpr int clockMarkX = 350, clockAmY = 245, clockPmY = 232, clockMarkW = 6;
constexpr int clockY = 34;
constexpr int hourTensCellX = 28, hourUnitsCellX = 34, clockColonX = 44, clockColonW = 2;
constexpr int minuteTensCellX = 48, minuteUnitsCellX = 56, clockMarkCellX = 66;

// Big readout glyphs for the alarm and slumber readouts.
constexpr int wideBlankX = 388, bigAmX = 402, bigPmX = 416, bigMarkY = 263;
constexpr int bigColonX = 419, bigSeparatorX = 423, bigPunctY = 299, bigPunctW = 4;

// Every clock copy lands in panelDC first, then in the window, so that later
// face copies carry the time.
void clockCopy(App& app, int x, int w, int sx, int sy) {
    Display& display = app.platform.display;
    display.copy(Target::Skin, x, clockY, w, clockDigitH, sx, sy);
    display.copy(Target::Window, x, clockY, w, clockDigitH, sx, sy);
}

void clockDigit(App& app, int cellX, int digit) { clockCopy(app, cellX, clockDigitW, clockDigitX + clockDigitW * digit, clockDigitY); }

void bigCopy(App& app, int x, int w, int sx, int sy) {
    app.platform.display.copy(Target::Window, x, readoutY, w, bigDigitH, sx, sy);
}

// A value 0..99 with a blank tens cell below 10.
void drawTwoDigits(App& app, int value, int tensX, int unitsX) {
    if (value < 10)
        bigCopy(app, tensX, bigDigitW, wideBlankX, bigMarkY);
    else
        drawBigDigit(app, tensX, value / 10);
    drawBigDigit(app, unitsX, value % 10);
}
}  // namespace

void drawClock(App& app, int hour, int minute) {
    Display& display = app.platform.display;
    display.beginWindowDraw();
    int h = hour;
    if (h > 11) {
        clockCopy(app, clockMarkCellX, clockMarkW, clockMarkX, clockPmY);
        if (h > 12) h -= 12;
    } else {
        clockCopy(app, clockMarkCellX, clockMarkW, clockMarkX, clockAmY);
        if (h == 0) h = 12;
    }
    if (h >= 10) {
        clockCopy(app, hourTensCellX, clockDigitW, hourTensOneX, clockDigitY);
        h -= 10;
    } else {
        clockCopy(app, hourTensCellX, clockDigitW, hourTensBlankX, clockDigitY);
    }
    clockDigit(app, hourUnitsCellX, h);
    clockCopy(app, clockColonX, clockColonW, clockColonX, clockY);
    clockDigit(app, minuteTensCellX, minute / 10);
    clockDigit(app, minuteUnitsCellX, minute % 10);
    display.endWindowDraw();
}

void clearReadout(App& app) {
    app.platform.display.copy(Target::Window, hundredsCellX, readoutY, readoutWidth, bigDigitH, blankReadoutX, blankReadoutY);
}

void drawAlarmReadout(App& app) {
    const ReceiverState& s = app.state;
    Display& display = app.platform.display;
    display.beginWindowDraw();
    int h = s.alarmHour;
    if (h > 11) {
        bigCopy(app, thousandthsCellX, bigDigitW, bigPmX, bigMarkY);
        if (h > 12) h -= 12;
    } else {
        bigCopy(app, thousandthsCellX, bigDigitW, bigAmX, bigMarkY);
        if (h == 0) h = 12;
    }
    drawTwoDigits(app, h, tensCellX, unitsCellX);
    bigCopy(app, pointCellX, bigPunctW, bigColonX, bigPunctY);
    drawBigDigit(app, tenthsCellX, s.alarmMinute / 10);
    drawBigDigit(app, hundredthsCellX, s.alarmMinute % 10);
    display.endWindowDraw();
}

void drawSlumberReadout(App& app) {
    const ReceiverState& s = app.state;
    Display& display = app.platform.display;
    display.beginWindowDraw();
    drawTwoDigits(app, s.slumberMinutes, tensCellX, unitsCellX);
    bigCopy(app, pointCellX, bigPunctW, bigSeparatorX, bigPunctY);
    drawTwoDigits(app, s.slumberRemaining, tenthsCellX, hundredthsCellX);
    display.endWindowDraw();
}

}  // namespace orv
