// What the window shows: the paint of each style, the readouts, the lamps and
// the drag outline, checked cell by cell against the skin.
#include <gtest/gtest.h>

#include <cmath>

#include "panel_fixture.h"
#include "render/clock_readouts.h"
#include "render/indicators.h"
#include "render/readouts.h"
#include "shell/paint.h"
#include "shell/window_proc.h"

namespace orv::test {
namespace {

struct Painted : PanelFixture {
    Painted() { start(); }
    template <class Prepare>
    explicit Painted(Prepare prepare) {
        prepare(*this);
        start();
    }
    // The big-readout cells: hundreds glyph x (409 blank, 414 one), then six digits
    // (-1 for the point cell, which is the face's own).
    bool readoutShows(int hundredsGlyphX, int tens, int units, int tenths, int hundredths, int thousandths) {
        const int cells[] = {81, 95, 113, 127, 141};
        const int digits[] = {tens, units, tenths, hundredths, thousandths};
        bool ok = shows(76, 23, 5, 21, hundredsGlyphX, 299) && shows(109, 23, 4, 21, 109, 23);
        for (int i = 0; i < 5; ++i) ok = ok && shows(cells[i], 23, 14, 21, 265 + 14 * digits[i], 299);
        return ok;
    }
    bool presetShows(int leftSx, int leftSy, int rightSx, int rightSy) {
        return shows(157, 33, 7, 10, leftSx, leftSy) && shows(164, 33, 7, 10, rightSx, rightSy);
    }
};

constexpr int kNarrowBlank = 409, kNarrowOne = 414;

TEST(Readouts, FrequencyCellsFollowTheDisplayRounding) {
    Painted f;
    drawFrequency(f.app, 87.5f);
    EXPECT_TRUE(f.readoutShows(kNarrowBlank, 8, 7, 5, 0, 0));
    drawFrequency(f.app, 107.975f);  // 107.974998 as a float
    EXPECT_TRUE(f.readoutShows(kNarrowOne, 0, 7, 9, 7, 5));
    drawFrequency(f.app, 88.0123);  // lowered to the multiple of 5 below
    EXPECT_TRUE(f.readoutShows(kNarrowBlank, 8, 8, 0, 1, 0));
    drawFrequency(f.app, 88.1f);  // 88.0999985
    EXPECT_TRUE(f.readoutShows(kNarrowBlank, 8, 8, 1, 0, 0));
    drawFrequency(f.app, 88.025f);
    EXPECT_TRUE(f.readoutShows(kNarrowBlank, 8, 8, 0, 2, 5));
    drawFrequency(f.app, 100.0f);
    EXPECT_TRUE(f.readoutShows(kNarrowOne, 0, 0, 0, 0, 0));
    drawFrequency(f.app, 99.99999);
    EXPECT_TRUE(f.readoutShows(kNarrowOne, 0, 0, 0, 0, 0));
    drawFrequency(f.app, 98.1f);  // 98.0999984
    EXPECT_TRUE(f.readoutShows(kNarrowBlank, 9, 8, 1, 0, 0));
}

TEST(Readouts, FrequencyDigitsKeepAWholeGridOfFiveKilohertz) {
    for (int k = 0; k <= 840; ++k) {  // every fine step of the band
        float f = float(87.0 + k * 0.025);
        FrequencyDigits d = frequencyDigits(f);
        int expected = int(std::lround(f * 1000.0));
        EXPECT_EQ(d.whole * 1000 + d.thousandths, expected / 5 * 5) << f;
    }
}

TEST(Readouts, PresetNumberCells) {
    Painted f;
    drawPresetNumber(f.app, 7);
    EXPECT_TRUE(f.presetShows(269 + 7 * 7, 272, 3, 224));  // left-aligned, blank right cell
    drawPresetNumber(f.app, 42);
    EXPECT_TRUE(f.presetShows(269 + 7 * 4, 272, 269 + 7 * 2, 272));
    drawPresetNumber(f.app, 99);
    EXPECT_TRUE(f.presetShows(269 + 7 * 9, 272, 269 + 7 * 9, 272));
    drawPresetNumber(f.app, 10);
    EXPECT_TRUE(f.presetShows(269 + 7 * 1, 272, 269, 272));
    drawPresetDecade(f.app, 30);
    EXPECT_TRUE(f.presetShows(269 + 7 * 3, 272, 339, 272));
}

TEST(Readouts, DecadeKeyShowsTensInTurnAndWrapsOnTheTenthPress) {
    Painted f;
    for (int press = 1; press <= 10; ++press) {
        f.press(340, 50);
        int tens = (press - 1) % 9 + 1;
        EXPECT_TRUE(f.presetShows(269 + 7 * tens, 272, 339, 272)) << press;
        EXPECT_TRUE(f.shows(331, 44, 21, 22, 399, 230));  // pressed
        f.release();
        EXPECT_TRUE(f.shows(331, 44, 21, 22, 331, 44));
    }
    onTimer(f.app, 3);  // 3 s without a press: the number comes back
    EXPECT_FALSE(f.s().decadeEntryActive);
    EXPECT_TRUE(f.presetShows(269 + 7 * 1, 272, 3, 224));
}

struct ClockCase {
    int hour, minute;
    int tensSx;  // 262 blank, 276 one
    int hourUnits, minuteTens, minuteUnits;
    int markSy;  // 245 AM, 232 PM
};

class ClockFace : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockFace, ShowsTwelveHourTimeInTheWindowAndTheSkin) {
    const ClockCase& c = GetParam();
    Painted f;
    drawClock(f.app, c.hour, c.minute);
    EXPECT_TRUE(f.shows(28, 34, 6, 10, c.tensSx, 239));  // columns 34..35 lie under the units
    EXPECT_TRUE(f.shows(34, 34, 8, 10, 267 + 8 * c.hourUnits, 239));
    EXPECT_TRUE(f.shows(44, 34, 2, 10, 44, 34));
    EXPECT_TRUE(f.shows(48, 34, 8, 10, 267 + 8 * c.minuteTens, 239));
    EXPECT_TRUE(f.shows(56, 34, 8, 10, 267 + 8 * c.minuteUnits, 239));
    EXPECT_TRUE(f.shows(66, 34, 6, 10, 350, c.markSy));
    // panelDC carries the same time, so later face copies show it.
    EXPECT_EQ(f.h.display.skinPixel(56, 34), coordinateColour(267 + 8 * c.minuteUnits, 239));
    EXPECT_EQ(f.h.display.skinPixel(66, 34), coordinateColour(350, c.markSy));
}

INSTANTIATE_TEST_SUITE_P(Clock, ClockFace,
                         ::testing::Values(ClockCase{0, 5, 276, 2, 0, 5, 245},     // 12:05 AM
                                           ClockCase{12, 0, 276, 2, 0, 0, 232},    // 12:00 PM
                                           ClockCase{13, 7, 262, 1, 0, 7, 232},    // 1:07 PM
                                           ClockCase{23, 59, 276, 1, 5, 9, 232},   // 11:59 PM
                                           ClockCase{10, 30, 276, 0, 3, 0, 245}));  // 10:30 AM

TEST(Readouts, AlarmAndSlumberReadouts) {
    Painted f;
    f.s().alarmHour = 7;
    f.s().alarmMinute = 5;
    clearReadout(f.app);
    EXPECT_TRUE(f.shows(76, 23, 79, 21, 3, 224));
    drawAlarmReadout(f.app);
    EXPECT_TRUE(f.shows(81, 23, 14, 21, 388, 263));  // wide blank
    EXPECT_TRUE(f.shows(95, 23, 14, 21, 265 + 14 * 7, 299));
    EXPECT_TRUE(f.shows(109, 23, 4, 21, 419, 299));  // colon
    EXPECT_TRUE(f.shows(113, 23, 14, 21, 265, 299));
    EXPECT_TRUE(f.shows(127, 23, 14, 21, 265 + 14 * 5, 299));
    EXPECT_TRUE(f.shows(141, 23, 14, 21, 402, 263));  // AM
    f.s().alarmHour = 0;
    drawAlarmReadout(f.app);
    EXPECT_TRUE(f.shows(81, 23, 14, 21, 265 + 14, 299));  // 12 AM
    EXPECT_TRUE(f.shows(95, 23, 14, 21, 265 + 28, 299));
    f.s().alarmHour = 12;
    drawAlarmReadout(f.app);
    EXPECT_TRUE(f.shows(141, 23, 14, 21, 416, 263));  // 12 PM

    f.s().slumberMinutes = 30;
    f.s().slumberRemaining = 5;
    drawSlumberReadout(f.app);
    EXPECT_TRUE(f.shows(81, 23, 14, 21, 265 + 14 * 3, 299));
    EXPECT_TRUE(f.shows(95, 23, 14, 21, 265, 299));
    EXPECT_TRUE(f.shows(109, 23, 4, 21, 423, 299));  // separator
    EXPECT_TRUE(f.shows(113, 23, 14, 21, 388, 263));
    EXPECT_TRUE(f.shows(127, 23, 14, 21, 265 + 14 * 5, 299));
}

TEST(Indicators, SignalAndPresetLamps) {
    Painted f;
    drawSignalLamp(f.app, MF_SIGNAL);
    EXPECT_TRUE(f.shows(44, 22, 29, 10, 360, 220));
    drawSignalLamp(f.app, MF_MUTED | MF_ALARM_ON | MF_STORE);  // bit 1 clear: off
    EXPECT_TRUE(f.shows(44, 22, 29, 10, 360, 230));

    struct { int preset, keyX, keyY; } cases[] = {{10, 299, 44}, {20, 299, 44}, {90, 299, 44},
                                                  {11, 187, 18}, {99, 271, 44}, {5, 299, 18}};
    for (auto c : cases) {
        drawPresetLamp(f.app, c.preset);
        EXPECT_TRUE(f.shows(c.keyX, c.keyY, 10, 10, 104, 199)) << c.preset;
    }
    f.s().panelStyle = styleCompact;
    drawPresetLamp(f.app, 7);
    EXPECT_TRUE(f.shows(215, 44, 10, 10, 104, 199));
    f.s().panelStyle = styleMini;
    uint64_t copies = f.h.display.windowCopies;
    drawPresetLamp(f.app, 3);
    EXPECT_EQ(f.h.display.windowCopies, copies);
}

TEST(Paint, FirstPaintWipesTheFullPanelInSevenPasses) {
    PanelFixture f;
    f.start();
    const std::vector<int>& xs = f.h.display.copyXs;
    ASSERT_EQ(xs.size(), 368u);  // columns 0..367, the last one clipped
    size_t i = 0;
    for (int pass = 0; pass < 7; ++pass)
        for (int x = pass; x <= 367; x += 7) EXPECT_EQ(xs[i++], x);
    size_t wordReads = 0;
    for (const PortOp& op : f.h.port.ops) wordReads += op.kind == 'V';
    EXPECT_EQ(wordReads, 368u * 121u);  // a port pause after every column
    EXPECT_FALSE(f.s().firstPaint);
    EXPECT_TRUE(f.shows(0, 0, 367, 4, 0, 0));
    EXPECT_TRUE(f.shows(0, 105, 367, 27, 0, 105));

    f.h.display.copyXs.clear();
    onPaintMessage(f.app);  // later paints copy the face in one piece
    EXPECT_TRUE(f.h.display.copyXs.empty());
}

TEST(Paint, FirstPaintDrawsThePresetFrequencyLampsAndPlacesTheWindow) {
    Painted f([](PanelFixture& p) {
        p.setting("RadioStation", "Station17", "87.5");
        p.setting("RadioStation", "STATION", "17");
        p.setting("Position", "X", "40");
    });
    EXPECT_TRUE(f.readoutShows(kNarrowBlank, 8, 7, 5, 0, 0));
    EXPECT_TRUE(f.presetShows(269 + 7 * 1, 272, 269 + 7 * 7, 272));
    EXPECT_TRUE(f.shows(215, 44, 10, 10, 104, 199));  // lamp of key 7
    EXPECT_TRUE(f.shows(44, 22, 29, 10, 360, 230));   // no signal at 87.5
    EXPECT_TRUE(f.shows(20, 24, 6, 7, 215, 141));     // slumber lamp off
    EXPECT_TRUE(f.shows(19, 35, 8, 8, 214, 152));     // alarm lamp off
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 12, 83));     // keys in their panel look
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 170, 83));
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 29, 22));      // mute lamp unlit (the face)
    EXPECT_TRUE(f.shows(155, 4, 20, 6, 67, 256));     // released handles
    EXPECT_TRUE(f.shows(3, 53, 6, 20, 74, 270));
    EXPECT_EQ(f.h.window.x, 40);
    EXPECT_FALSE(f.h.window.topmost);
    f.s().stayOnTop = true;
    onPaintMessage(f.app);
    EXPECT_TRUE(f.h.window.topmost);
}

TEST(Paint, MutedWithSlumberAndAlarmOff) {
    Painted f([](PanelFixture& p) { p.setting("AudioSettings", "MUTE", "1"); });
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 312, 158));  // lit mute key
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 2, 252));      // mute lamp
    EXPECT_TRUE(f.shows(20, 24, 6, 7, 215, 141));
    EXPECT_TRUE(f.shows(19, 35, 8, 8, 214, 152));
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 12, 83));
    EXPECT_TRUE(f.shows(84, 83, 35, 22, 84, 83));
}

TEST(Paint, SlumberAndAlarmOnLightTheirKeysAndLamps) {
    Painted f;
    f.s().modeFlags |= MF_SLUMBER_ON | MF_ALARM_ON;
    onPaintMessage(f.app);
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 236, 159));
    EXPECT_TRUE(f.shows(20, 24, 6, 7, 20, 24));
    EXPECT_TRUE(f.shows(84, 83, 35, 22, 312, 158));
    EXPECT_TRUE(f.shows(19, 35, 8, 8, 19, 35));
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 170, 83));
}

TEST(Paint, StartingInTheMiniPanelShrinksTheWindowAndMovesTheEndCap) {
    Painted f([](PanelFixture& p) { p.setting("SYSTEM", "STYLE", "2"); });
    EXPECT_EQ(f.h.window.width, 217);
    EXPECT_EQ(f.h.window.height, 82);
    EXPECT_EQ(f.h.display.windowWidth, 217);
    EXPECT_TRUE(f.shows(177, 0, 4, 44, 327, 0));       // the end cap at x 177
    EXPECT_TRUE(f.shows(181, 18, 21, 22, 331, 18));    // with its power key
    EXPECT_TRUE(f.shows(181, 44, 21, 22, 26, 256));    // and no decade key
    EXPECT_TRUE(f.shows(0, 74, 177, 8, 0, 124));       // the bottom edge
    EXPECT_TRUE(f.shows(125, 52, 47, 16, 103, 223));   // the volume rocker
    EXPECT_TRUE(f.s().firstPaint);
    f.h.window.move(150, 100, 300, 120, false);  // a later paint does it again
    onPaintMessage(f.app);
    EXPECT_EQ(f.h.window.width, 217);
    EXPECT_EQ(f.h.window.height, 82);
    EXPECT_TRUE(f.shows(177, 0, 40, 44, 327, 0));
}

TEST(Paint, StartingInTheCompactPanelFoldsAwayTheBottomRow) {
    Painted f([](PanelFixture& p) { p.setting("SYSTEM", "STYLE", "1"); });
    EXPECT_EQ(f.h.window.width, 367);
    EXPECT_EQ(f.h.window.height, 82);
    EXPECT_TRUE(f.shows(0, 0, 367, 4, 0, 0));
    EXPECT_TRUE(f.shows(10, 70, 357, 4, 10, 70));  // row 73 joins the bottom edge
    EXPECT_TRUE(f.shows(0, 74, 367, 8, 0, 124));
    EXPECT_TRUE(f.shows(125, 52, 47, 16, 103, 223));
    EXPECT_TRUE(f.h.display.copyXs.empty());  // no wipe
}

TEST(Paint, PaletteChangeByAnotherWindowRepaints) {
    Painted f;
    onPaletteChanged(f.app, false);
    EXPECT_EQ(f.h.window.invalidations, 0);
    onPaletteChanged(f.app, true);
    EXPECT_EQ(f.h.window.invalidations, 1);
}

TEST(Paint, WithoutASkinThePaintIsLeftToTheSystem) {
    PanelFixture f(false);
    f.start();
    EXPECT_FALSE(onPaintMessage(f.app));
    ASSERT_EQ(f.h.dialogs.boxes.size(), 2u);
    EXPECT_EQ(f.h.dialogs.boxes[0].text, "Can't open data file 1");
    EXPECT_EQ(f.h.dialogs.boxes[1].text, "Error loading Data File 1");
    EXPECT_EQ(f.h.dialogs.boxes[1].title, "Error");
    EXPECT_TRUE(f.h.window.quitPosted);
}

// Every pixel of the screen is back to what it was.
bool screenClean(const PanelFixture& f) {
    for (uint32_t p : f.h.display.screen)
        if (p != 0) return false;
    return true;
}

TEST(Drag, FrameInvertsEachRingPixelOnce) {
    Painted f;
    f.h.display.openScreen();
    drawDragFrame(f.app, Rect{110, 60, 100, 50});  // given the wrong way round
    const auto& scr = f.h.display.screen;
    int inverted = 0;
    for (int y = 40; y < 70; ++y)
        for (int x = 90; x < 120; ++x) {
            bool ring = x >= 99 && x <= 110 && y >= 49 && y <= 60 && !(x >= 100 && x < 110 && y >= 50 && y < 60);
            uint32_t p = scr[size_t(y) * 1024 + x];
            EXPECT_EQ(p, ring ? 0xFFFFFFu : 0u) << x << "," << y;
            inverted += p != 0;
        }
    EXPECT_EQ(inverted, 12 * 12 - 10 * 10);
    drawDragFrame(f.app, Rect{100, 50, 110, 60});
    EXPECT_TRUE(screenClean(f));
}

TEST(Drag, PressAndReleaseWithoutMovementLeavesTheWindowWhereItWas) {
    Painted f;
    f.h.window.x = 300;  // moved by the system meanwhile
    f.press(360, 120);
    EXPECT_TRUE(f.s().dragging);
    EXPECT_TRUE(f.h.window.captured);
    f.release();
    EXPECT_FALSE(f.s().dragging);
    EXPECT_FALSE(f.h.window.captured);
    EXPECT_EQ(f.s().windowX, 300);
    EXPECT_EQ(f.s().windowY, 100);
    EXPECT_EQ(f.h.window.width, 367);
    EXPECT_TRUE(screenClean(f));
}

TEST(Drag, TheWindowMovesOnlyAtTheReleaseAndMayLeaveTheScreen) {
    Painted f;
    f.press(360, 120);
    f.move(380, 140);
    f.move(200, 60);
    EXPECT_EQ(f.h.window.x, 150);  // the outline moves, not the window
    EXPECT_FALSE(screenClean(f));
    f.move(100, -50);  // pointer above the window and beyond the screen's top
    f.release();
    EXPECT_EQ(f.s().windowX, 150 - 260);
    EXPECT_EQ(f.s().windowY, 100 - 170);
    EXPECT_EQ(f.h.window.x, -110);
    EXPECT_EQ(f.h.window.y, -70);
    EXPECT_TRUE(screenClean(f));
}

// On a busy machine the press is handled after the pointer has moved on: the
// drag still starts where the button went down, so the window ends up under
// the pointer where it is let go.
TEST(Drag, APressHandledLateStillStartsWhereTheButtonWentDown) {
    Painted f;
    f.h.window.cursor = Point{370, 127};  // the pointer is one move further already
    onLeftDown(f.app, 360, 120);
    f.move(420, 162);
    f.release();
    EXPECT_EQ(f.h.window.x, 150 + 60);
    EXPECT_EQ(f.h.window.y, 100 + 42);
}

TEST(Drag, MovesDuringADragDoNotTouchTheRepeatOrTheFaces) {
    Painted f;
    f.press(360, 120);
    f.move(365, 125);
    EXPECT_EQ(f.h.window.arrowCursorSets, 1);  // only start-up set it
    f.release();
}

}  // namespace
}  // namespace orv::test
