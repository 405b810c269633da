// The clock tick: seek steps, closing the setting windows, the slumber countdown and the alarm.
#include <gtest/gtest.h>

#include "panel/keyboard.h"
#include "panel/tick.h"
#include "panel_fixture.h"
#include "shell/window_proc.h"
#include "tuner/simulated_card.h"
#include "tuner/tuner.h"

namespace orv::test {
namespace {

struct Ticking : CardPanel {
    explicit Ticking(SimulatorConfig config = SimulatorConfig()) : CardPanel(false, config) {}
    void tick() { onTimer(app, clockTimer); }
    std::string saved(const char* key) { return CardPanel::saved("AudioSettings", key); }
};

TEST(SeekStep, WrapsRoundTheBandAndKeepsGoing) {
    Ticking f;
    f.s().frequency = 107.99f;
    f.s().modeFlags |= MF_SEEK_UP;
    f.h.window.setTimer(clockTimer, seekPeriodMs);
    f.tick();
    EXPECT_EQ(f.s().frequency, 87.0f);  // minFrequency itself, tuned like any step
    EXPECT_EQ(f.card.tunedDivider(), dividerFor(87.0f));
    f.tick();
    EXPECT_FLOAT_EQ(f.s().frequency, 87.025f);
    EXPECT_TRUE(f.s().modeFlags & MF_SEEK_UP);
    EXPECT_EQ(f.h.window.timers[clockTimer], seekPeriodMs);

    f.s().modeFlags ^= MF_SEEK_UP | MF_SEEK_DOWN;
    f.s().frequency = 87.0f;
    f.tick();
    EXPECT_EQ(f.s().frequency, 108.0f);
    f.s().modeFlags |= MF_SEEK_UP;  // both bits: only the upward step
    f.s().frequency = 100.0f;
    f.tick();
    EXPECT_FLOAT_EQ(f.s().frequency, 100.025f);
}

TEST(SeekStep, SignalEndsTheSeekInTheSameTickWithoutRedrawingThePreset) {
    Ticking f;
    f.s().frequency = 89.275f;
    f.s().modeFlags |= MF_SEEK_UP;
    f.h.window.setTimer(clockTimer, seekPeriodMs);
    f.h.display.copy(Target::Window, 157, 33, 14, 10, 0, 0);  // a mark in the preset cells
    f.tick();
    EXPECT_FLOAT_EQ(f.s().frequency, 89.3f);
    EXPECT_FALSE(f.s().modeFlags & (MF_SEEK_UP | MF_SEEK_DOWN));
    EXPECT_EQ(f.h.window.timers[clockTimer], clockPeriodMs);
    EXPECT_TRUE(f.shows(44, 22, 29, 10, 360, 220));  // signal lamp on
    EXPECT_TRUE(f.bigDigit(113, 3));
    EXPECT_TRUE(f.shows(157, 33, 14, 10, 0, 0));  // preset number untouched
}

TEST(SeekStep, WithoutAnyStationTheSeekNeverStopsByItself) {
    SimulatorConfig silent;
    silent.stationsMHz.clear();
    Ticking f(silent);
    f.s().modeFlags |= MF_SEEK_DOWN;
    for (int i = 0; i < 900; ++i) f.tick();  // more than a full turn of 840 steps
    EXPECT_TRUE(f.s().modeFlags & MF_SEEK_DOWN);
    EXPECT_FALSE(f.s().modeFlags & MF_SIGNAL);
}

TEST(SettingWindows, ClosingSavesAndTheReadoutReturnsToTheFrequency) {
    Ticking f;
    handleKey(f.app, '7');
    handleKey(f.app, 'A');
    f.s().alarmHour = 6;
    f.s().alarmMinute = 45;
    f.tick();
    EXPECT_FALSE(f.s().modeFlags & MF_ALARM_SET);
    EXPECT_TRUE(f.s().modeFlags & MF_ALARM_ON);
    EXPECT_EQ(f.saved("ALARM"), "1");
    EXPECT_EQ(f.saved("ALARM_HR"), "6");
    EXPECT_EQ(f.saved("ALARM_MIN"), "45");
    EXPECT_EQ(f.saved("ALARM_STATION"), "7");
    EXPECT_TRUE(f.bigDigit(127, 0));  // 89.000 again instead of the alarm time
    EXPECT_TRUE(f.shows(157, 33, 7, 10, 269 + 7 * 7, 272));

    handleKey(f.app, 'L');  // 5 minutes left when the window closes
    f.tick();
    EXPECT_EQ(f.saved("SLUMBER"), "6");
    EXPECT_FALSE(f.s().modeFlags & MF_SLUMBER_SET);
    EXPECT_EQ(f.s().slumberRemaining, 5);
}

TEST(SettingWindows, WithBothOpenTheAlarmClosesFirstAndTheSlumberOneTickLater) {
    Ticking f;
    handleKey(f.app, 'A');
    handleKey(f.app, 'L');
    f.s().alarmHour = 3;  // not now
    f.tick();
    EXPECT_EQ(f.s().modeFlags & (MF_ALARM_SET | MF_SLUMBER_SET), MF_SLUMBER_SET);
    EXPECT_EQ(f.saved("SLUMBER"), "<none>");
    f.tick();
    EXPECT_FALSE(f.s().modeFlags & MF_SLUMBER_SET);
    EXPECT_EQ(f.saved("SLUMBER"), "6");
}

TEST(Slumber, RemainingMinutesRoundUp) {
    Ticking f;
    struct { int64_t secondsLeft; int minutes; } cases[] = {{121, 3}, {120, 2}, {61, 2}, {60, 1}, {1, 1}, {0, 0}};
    f.s().modeFlags |= MF_SLUMBER_ON;
    for (auto c : cases) {
        f.s().slumberEnd = f.h.clock.seconds + c.secondsLeft;
        f.tick();
        EXPECT_EQ(f.s().slumberRemaining, c.minutes) << c.secondsLeft;
        EXPECT_TRUE(f.s().modeFlags & MF_SLUMBER_ON) << c.secondsLeft;
    }
}

TEST(Slumber, ExpiresOneSecondAfterItsEndAndMutes) {
    Ticking f;
    f.s().frequency = 94.8f;
    handleKey(f.app, 'L');
    f.tick();
    f.h.clock.seconds += 300;  // exactly the end: not yet
    f.tick();
    EXPECT_TRUE(f.s().modeFlags & MF_SLUMBER_ON);
    EXPECT_FALSE(f.card.muted());
    f.h.clock.seconds += 1;
    f.tick();
    EXPECT_FALSE(f.s().modeFlags & MF_SLUMBER_ON);
    EXPECT_TRUE(f.s().modeFlags & MF_MUTED);
    EXPECT_EQ(f.s().slumberRemaining, 0);
    EXPECT_EQ(f.saved("SLUMBER"), "0");
    EXPECT_TRUE(f.card.muted());
    EXPECT_EQ(f.card.tunedDivider(), dividerFor(94.8f));  // the station stays tuned
    EXPECT_TRUE(f.h.window.exists);
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 12, 83));    // slumber key released
    EXPECT_TRUE(f.shows(20, 24, 6, 7, 215, 140));    // lamp off (the expiry's own look)
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 312, 158));  // mute latched
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 2, 252));
}

TEST(Slumber, CountsDownAndExpiresAfter2038) {
    Ticking f;
    f.h.clock.seconds = (int64_t(1) << 32) + 7;  // beyond both 2^31 and 2^32
    handleKey(f.app, 'L');
    EXPECT_EQ(f.s().slumberEnd, f.h.clock.seconds + 300);
    f.h.clock.seconds += 179;
    f.tick();
    EXPECT_EQ(f.s().slumberRemaining, 3);
    f.h.clock.seconds += 122;
    f.tick();
    EXPECT_TRUE(f.s().modeFlags & MF_MUTED);
}

struct AlarmDue : Ticking {
    AlarmDue() {
        s().modeFlags |= MF_ALARM_ON;
        s().alarmHour = h.clock.local.hour;
        s().alarmMinute = h.clock.local.minute;
    }
};

TEST(Alarm, FiresOnlyInItsHourAndMinute) {
    AlarmDue f;
    f.h.clock.local = {f.s().alarmHour + 12, f.s().alarmMinute};
    f.tick();
    f.h.clock.local = {f.s().alarmHour, f.s().alarmMinute + 1};
    f.tick();
    EXPECT_TRUE(f.s().modeFlags & MF_ALARM_ON);
}

TEST(Alarm, WithoutAStationSelectsPresetOneAndUnmutes) {
    AlarmDue f;
    f.s().presetTable[0] = 94.8f;
    handleKey(f.app, '5');
    handleKey(f.app, 'M');
    f.tick();
    EXPECT_FALSE(f.s().modeFlags & (MF_ALARM_ON | MF_MUTED));
    EXPECT_EQ(f.saved("ALARM"), "0");
    EXPECT_EQ(f.s().presetIndex, 1);
    EXPECT_EQ(f.card.tunedDivider(), dividerFor(94.8f));
    EXPECT_FALSE(f.card.muted());
    EXPECT_TRUE(f.shows(84, 83, 35, 22, 84, 83));  // alarm key released
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 170, 83));
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 29, 22));
    f.s().presetIndex = 4;
    f.tick();  // fires once
    EXPECT_EQ(f.s().presetIndex, 4);
}

TEST(Alarm, StationsOutsideThePresetsFallBackToOne) {
    struct { const char* text; int preset; } cases[] = {{"0", 1}, {"100", 1}, {"-3", 1}, {"abc", 1}, {"42", 42}, {"99", 99}};
    for (auto c : cases) {
        AlarmDue f;
        f.setting("AudioSettings", "ALARM_STATION", c.text);
        f.tick();
        EXPECT_EQ(f.s().presetIndex, c.preset) << c.text;
    }
}

TEST(Alarm, ArmedStoreStoresIntoTheAlarmPresetFirst) {
    AlarmDue f;
    f.setting("AudioSettings", "ALARM_STATION", "3");
    f.s().frequency = 101.3f;
    handleKey(f.app, 'P');
    f.tick();
    EXPECT_FLOAT_EQ(f.s().presetTable[2], 101.3f);
    EXPECT_FALSE(f.s().modeFlags & MF_STORE);
    EXPECT_EQ(f.s().presetIndex, 3);
}

TEST(Alarm, TheTickThatClosesTheAlarmWindowAlsoFiresIt) {
    Ticking f;
    f.s().presetTable[8] = 104.6f;
    handleKey(f.app, '9');
    handleKey(f.app, 'A');  // the alarm time starts at the current time
    f.s().alarmHour = f.h.clock.local.hour;
    f.s().alarmMinute = f.h.clock.local.minute;
    f.s().frequency = 90.0f;
    f.tick();
    EXPECT_FALSE(f.s().modeFlags & (MF_ALARM_ON | MF_ALARM_SET));
    EXPECT_EQ(f.saved("ALARM"), "0");
    EXPECT_EQ(f.saved("ALARM_STATION"), "9");
    EXPECT_FLOAT_EQ(f.s().frequency, 104.6f);
}

TEST(ClockTick, NothingIsCheckedWhileAMorphRuns) {
    AlarmDue f;
    f.h.clock.local = {13, 5};
    f.s().alarmHour = 13;
    f.s().alarmMinute = 5;
    f.s().morphState = 1;
    f.tick();
    EXPECT_TRUE(f.s().modeFlags & MF_ALARM_ON);
    f.s().morphState = 0;
    f.tick();
    EXPECT_FALSE(f.s().modeFlags & MF_ALARM_ON);
    EXPECT_EQ(f.h.display.skinPixel(56, 34), coordinateColour(267 + 8 * 5, 239));  // the clock, also in panelDC
    EXPECT_TRUE(f.shows(34, 34, 8, 10, 267 + 8, 239));  // 1 PM
}

}  // namespace
}  // namespace orv::test
