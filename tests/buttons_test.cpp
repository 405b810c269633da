// The panel's buttons: tuning steps, store and recall, mute, slumber and alarm keys, closing.
#include <gtest/gtest.h>

#include "panel/buttons.h"
#include "panel_fixture.h"
#include "settings/presets.h"
#include "settings/shutdown.h"
#include "shell/window_proc.h"
#include "tuner/simulated_card.h"
#include "tuner/tuner.h"

namespace orv::test {
namespace {

using Running = CardPanel;

TEST(TuningSteps, FineStepsWrapAroundTheBand) {
    EXPECT_FLOAT_EQ(fineStep(107.975f, 87.0f, 1), 108.0f);
    EXPECT_FLOAT_EQ(fineStep(108.0f, 87.0f, 1), 87.0f);
    EXPECT_FLOAT_EQ(fineStep(87.0f, 87.0f, -1), 108.0f);
    EXPECT_FLOAT_EQ(fineStep(87.025f, 87.0f, -1), 87.0f);
}

TEST(TuningSteps, CoarseStepsSnapToTheTenthGrid) {
    Running f;
    struct { float from; int dir; float to; } cases[] = {
        {100.0f, 1, 100.1f}, {100.0f, -1, 99.9f}, {100.025f, 1, 100.1f}, {100.025f, -1, 100.0f},
        {100.075f, -1, 100.0f}, {108.0f, 1, 87.0f}, {87.0f, -1, 108.0f}, {87.05f, 1, 87.1f}, {87.05f, -1, 87.0f},
    };
    for (auto c : cases) {
        f.s().frequency = c.from;
        stepFrequencyCoarse(f.app, c.dir);
        EXPECT_FLOAT_EQ(f.s().frequency, c.to) << c.from << " " << c.dir;
    }
}

TEST(TuningSteps, BottomRowTunesAndTheCardFollows) {
    Running f;
    f.click(290, 90);  // fine up
    EXPECT_FLOAT_EQ(f.s().frequency, 89.025f);
    f.click(240, 90);  // coarse up
    EXPECT_FLOAT_EQ(f.s().frequency, 89.1f);
    f.click(215, 90);  // coarse down
    f.click(215, 90);
    EXPECT_FLOAT_EQ(f.s().frequency, 88.9f);
    EXPECT_EQ(f.card.tunedDivider(), dividerFor(88.9f));
    EXPECT_TRUE(f.shows(257, 83, 47, 22, 257, 83));  // rockers released after the clicks
}

TEST(TuningSteps, SeekStopsAtOnceOnAStationOrRunsOnTheClock) {
    Running f;
    f.s().frequency = 89.275f;  // 89.3 is one fine step up
    f.click(340, 90);
    EXPECT_FLOAT_EQ(f.s().frequency, 89.3f);
    EXPECT_FALSE(f.s().modeFlags & (MF_SEEK_UP | MF_SEEK_DOWN));
    EXPECT_TRUE(f.s().modeFlags & MF_SIGNAL);
    EXPECT_EQ(f.h.window.timers[clockTimer], 3000u);
    f.click(315, 90);  // seek down from 89.3: no station at 89.275
    EXPECT_TRUE(f.s().modeFlags & MF_SEEK_DOWN);
    EXPECT_EQ(f.h.window.timers[clockTimer], 180u);
    f.s().modeFlags |= MF_ALARM_SET;  // the seek keys wait while the alarm is being set
    f.s().modeFlags &= ~MF_SEEK_DOWN;
    float before = f.s().frequency;
    f.click(340, 90);
    EXPECT_FLOAT_EQ(f.s().frequency, before);
}

TEST(Presets, StoreArmedByThePlateStoresIntoTheChosenPreset) {
    Running f;
    f.s().frequency = 101.3f;
    f.click(150, 60);  // store plate
    EXPECT_TRUE(f.s().modeFlags & MF_STORE);
    EXPECT_TRUE(f.shows(125, 52, 48, 17, 105, 155));  // armed plate after the release
    f.click(340, 50);  // decade 10: the store stays armed
    EXPECT_TRUE(f.s().modeFlags & MF_STORE);
    f.click(215, 25);  // key 2: preset 12
    EXPECT_EQ(f.s().presetIndex, 12);
    EXPECT_FALSE(f.s().modeFlags & MF_STORE);
    EXPECT_EQ(f.saved("RadioStation", "STATION12"), "101.300003");
    EXPECT_EQ(f.saved("RadioStation", "STATION"), "12");
    EXPECT_FLOAT_EQ(f.s().frequency, 101.3f);
    EXPECT_FLOAT_EQ(f.s().presetTable[11], 101.3f);
    EXPECT_TRUE(f.shows(125, 52, 48, 17, 125, 52));  // plate removed
}

TEST(Presets, SelectingMovesTheLampAndStampsTheLabel) {
    Running f;
    f.s().presetTable[22] = 94.8f;
    f.click(243, 25);  // key 3
    f.s().presetIndex = 7;
    f.s().decadeEntryActive = true;
    f.s().presetDecade = 20;
    f.click(243, 25);  // decade 20 + 3 = 23, after 7
    EXPECT_EQ(f.s().presetIndex, 23);
    EXPECT_FLOAT_EQ(f.s().frequency, 94.8f);
    EXPECT_TRUE(f.s().modeFlags & MF_SIGNAL);  // 94.8 is on the air
    EXPECT_TRUE(f.shows(215, 44, 27, 22, 215, 44));  // key 7 went dark
    EXPECT_EQ(f.h.display.skinPixel(149, 187), coordinateColour(16, 212));  // label 3 in the pressed look
    EXPECT_EQ(f.h.display.skinPixel(120, 209), coordinateColour(16, 212));  // and in the lit look
}

TEST(Presets, MiniPanelSelectsWithoutDrawingKeys) {
    Running f;
    f.s().panelStyle = styleMini;
    uint64_t before = f.h.display.windowCopies;
    recallPreset(f.app, 5, 1);
    EXPECT_EQ(f.s().presetIndex, 1);  // the caller sets it; recall only selects
    EXPECT_EQ(f.saved("RadioStation", "STATION"), "5");
    EXPECT_EQ(f.h.display.skinPixel(149, 187), coordinateColour(30, 212));
    EXPECT_TRUE(f.shows(299, 18, 27, 22, 299, 18));  // key 5 untouched
    EXPECT_GT(f.h.display.windowCopies, before);     // readouts and the signal lamp
}

TEST(Mute, MuteKeyLatchesWritesAndRemovesTheSetting) {
    Running f;
    f.click(180, 90);
    EXPECT_TRUE(f.s().modeFlags & MF_MUTED);
    EXPECT_EQ(f.saved("AudioSettings", "MUTE"), "1");
    EXPECT_TRUE(f.card.muted());
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 312, 158));  // latched after the release
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 2, 252));
    f.click(180, 90);
    EXPECT_FALSE(f.s().modeFlags & MF_MUTED);
    EXPECT_EQ(f.saved("AudioSettings", "MUTE"), "<none>");
    EXPECT_FALSE(f.card.muted());
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 170, 83));
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 29, 22));
}

TEST(SlumberAndAlarm, KeysOpenTheirSettingWindows) {
    Running f;
    f.click(20, 90);  // slumber on
    EXPECT_TRUE(f.s().modeFlags & MF_SLUMBER_ON);
    EXPECT_TRUE(f.s().modeFlags & MF_SLUMBER_SET);
    EXPECT_EQ(f.s().slumberRemaining, 5);
    EXPECT_EQ(f.s().slumberEnd, f.h.clock.seconds + 300);
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 236, 159));
    EXPECT_TRUE(f.shows(109, 23, 4, 21, 423, 299));  // slumber readout
    for (int i = 0; i < 55; ++i) f.click(240, 90);   // coarse up wraps after 59
    EXPECT_EQ(f.s().slumberMinutes, 1);
    f.click(90, 90);  // alarm closes the slumber window
    EXPECT_FALSE(f.s().modeFlags & MF_SLUMBER_SET);
    EXPECT_TRUE(f.s().modeFlags & MF_ALARM_SET);
    EXPECT_TRUE(f.s().modeFlags & MF_ALARM_ON);
    f.s().alarmHour = 23;
    f.s().alarmMinute = 59;
    f.click(290, 90);  // fine up steps the alarm minute
    EXPECT_EQ(f.s().alarmHour, 0);
    EXPECT_EQ(f.s().alarmMinute, 0);
    f.click(290 - 25, 90);  // fine down
    EXPECT_EQ(f.s().alarmHour, 23);
    EXPECT_EQ(f.s().alarmMinute, 59);
    f.click(60, 90);  // slumber off
    EXPECT_FALSE(f.s().modeFlags & MF_SLUMBER_ON);
    EXPECT_EQ(f.saved("AudioSettings", "SLUMBER"), "0");
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 12, 83));  // both slumber keys released
    EXPECT_TRUE(f.shows(48, 83, 35, 22, 48, 83));
}

TEST(VolumeRocker, CompactRockerStepsDownUpToX147) {
    Running f;
    f.s().panelStyle = styleCompact;
    f.h.port.ops.clear();
    f.click(147, 60);
    f.click(148, 60);
    EXPECT_EQ(f.card.volumeDownPulses(), 1);
    EXPECT_EQ(f.card.volumeUpPulses(), 1);
    EXPECT_FALSE(f.s().modeFlags & MF_STORE);
}

TEST(Closing, AnswersSetTheCardAndSaveTheRecord) {
    Running f;
    f.s().presetTable[3] = 101.3f;
    f.s().presetIndex = 4;
    f.s().frequency = 95.0f;
    f.s().modeFlags |= MF_ALARM_ON | MF_SLUMBER_ON;
    f.s().alarmHour = 6;
    f.s().alarmMinute = 30;
    f.s().slumberRemaining = 12;
    f.s().windowX = 321;
    f.h.dialogs.answers.push_back(BoxAnswer::Yes);
    closePanel(f.app);
    EXPECT_EQ(f.card.tunedDivider(), dividerFor(101.3f));  // the preset, not the manual tuning
    EXPECT_FALSE(f.card.muted());
    EXPECT_EQ(f.saved("AudioSettings", "SLUMBER"), "12");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM"), "1");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM_HR"), "6");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM_MIN"), "30");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM_STATION"), "1");
    EXPECT_EQ(f.saved("Position", "X"), "321");
    EXPECT_FALSE(f.h.window.exists);
    EXPECT_TRUE(f.h.display.skin.empty());
}

TEST(Closing, CancelChangesNothingAndQuitZeroAsksNothing) {
    Running f;
    f.h.port.ops.clear();
    closePanel(f.app);  // no scripted answer: Cancel
    EXPECT_TRUE(f.h.window.exists);
    EXPECT_TRUE(f.h.port.ops.empty());
    EXPECT_EQ(f.saved("Position", "X"), "<none>");

    f.setting("System", "Quit", "0");
    closePanel(f.app);
    EXPECT_EQ(f.h.dialogs.boxes.size(), 1u);  // only the first, cancelled question
    EXPECT_TRUE(f.h.port.ops.empty());        // the card keeps its state
    EXPECT_EQ(f.saved("AudioSettings", "ALARM"), "0");
    EXPECT_FALSE(f.h.window.exists);
}

}  // namespace
}  // namespace orv::test
