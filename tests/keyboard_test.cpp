// Keyboard commands: the key table, the setting windows, the morph guard and the keys that do nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "panel/keyboard.h"
#include "panel_fixture.h"
#include "shell/window_proc.h"
#include "tuner/simulated_card.h"
#include "tuner/tuner.h"

namespace orv::test {
namespace {

struct Keyed : CardPanel {
    Keyed() : CardPanel(true) {}
    void key(unsigned code) { onKeyDown(app, code); }
    bool clockRestarted() const {
        for (const std::string& line : h.window.log)
            if (line == "setTimer 1 3000") return true;
        return false;
    }
    std::string settingsFile() const {
        std::ifstream in(h.profile->path());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST(KeyboardTuning, FineAndCoarseStepsWrapWithoutGridSnapping) {
    struct { float minimum, from; unsigned key; float to; } cases[] = {
        {87.0f, 87.0f, 0x25, 108.0f},   {87.0f, 108.0f, 0x27, 87.0f},   {87.0f, 107.975f, 0x27, 108.0f},
        {87.0f, 107.95f, 0x26, 87.0f},  {87.0f, 87.05f, 0x28, 108.0f},  {87.0f, 89.325f, 0x26, 89.425f},
        {87.0f, 100.0f, 0x28, 99.9f},   {88.0f, 108.0f, 0x27, 88.0f},   {88.0f, 88.05f, 0x28, 108.0f},
    };
    Keyed f;
    f.s().presetIndex = 4;
    for (auto c : cases) {
        f.s().minFrequency = c.minimum;
        f.s().frequency = c.from;
        f.key(c.key);
        EXPECT_FLOAT_EQ(f.s().frequency, c.to) << c.from << " key " << c.key;
        EXPECT_EQ(f.card.tunedDivider(), dividerFor(f.s().frequency));
    }
    EXPECT_EQ(f.s().presetIndex, 4);
    EXPECT_FALSE(f.clockRestarted());
}

TEST(KeyboardSettingWindows, AlarmArrowsWrapTheTimeAndRestartTheClock) {
    struct { int hour, minute; unsigned key; int toHour, toMinute; } cases[] = {
        {0, 0, 0x25, 23, 59}, {23, 59, 0x27, 0, 0}, {23, 17, 0x26, 0, 17}, {0, 17, 0x28, 23, 17}, {9, 30, 0x27, 9, 31},
    };
    Keyed f;
    f.key('A');
    for (auto c : cases) {
        f.h.window.log.clear();
        f.s().alarmHour = c.hour;
        f.s().alarmMinute = c.minute;
        f.key(c.key);
        EXPECT_EQ(f.s().alarmHour, c.toHour) << c.hour << ":" << c.minute << " key " << c.key;
        EXPECT_EQ(f.s().alarmMinute, c.toMinute);
        EXPECT_TRUE(f.clockRestarted());
    }
    EXPECT_FLOAT_EQ(f.s().frequency, 89.0f);
    EXPECT_TRUE(f.shows(141, 23, 14, 21, 402, 263));  // AM mark of the alarm readout
}

TEST(KeyboardSettingWindows, SlumberLengthStaysWithin1To99AndSideArrowsDoNothing) {
    Keyed f;
    f.key('A');
    f.key('L');  // both windows open: the arrows follow the slumber
    f.s().slumberMinutes = 99;
    f.h.window.log.clear();
    f.key(0x26);
    EXPECT_EQ(f.s().slumberMinutes, 99);
    EXPECT_TRUE(f.clockRestarted());
    f.s().slumberMinutes = 1;
    f.key(0x28);
    EXPECT_EQ(f.s().slumberMinutes, 1);
    f.s().slumberMinutes = 59;
    f.h.clock.seconds += 10;
    f.key(0x26);
    EXPECT_EQ(f.s().slumberMinutes, 60);  // no wrap at 59 as on the panel keys
    EXPECT_EQ(f.s().slumberRemaining, 60);
    EXPECT_EQ(f.s().slumberEnd, f.h.clock.seconds + 3600);
    EXPECT_EQ(f.s().alarmHour, 10);
    f.h.port.ops.clear();
    f.key(0x25);
    f.key(0x27);
    EXPECT_FLOAT_EQ(f.s().frequency, 89.0f);
    EXPECT_EQ(f.s().alarmMinute, 30);
    EXPECT_TRUE(f.h.port.ops.empty());
}

TEST(KeyboardGuard, WhileAMorphRunsOnlyMuteAndTheVolumeKeysAct) {
    Keyed f;
    f.s().morphState = 1;
    std::string before = f.settingsFile();
    uint64_t copies = f.h.display.windowCopies;
    for (unsigned code = 0; code < 0x200; ++code)
        if (code != 'M' && code != 0x6B && code != 0x6D) f.key(code);
    EXPECT_EQ(f.h.display.windowCopies, copies);
    EXPECT_TRUE(f.h.port.ops.empty());
    EXPECT_TRUE(f.h.window.log.empty());
    EXPECT_TRUE(f.h.dialogs.boxes.empty());
    EXPECT_TRUE(f.h.dialogs.helpOpened.empty());
    EXPECT_EQ(f.s().modeFlags & ~MF_SIGNAL, 0u);
    EXPECT_EQ(f.settingsFile(), before);
    f.key(0x6B);
    f.key(0x6D);
    f.key('M');
    EXPECT_EQ(f.card.volumeUpPulses(), 1);
    EXPECT_EQ(f.card.volumeDownPulses(), 1);
    EXPECT_TRUE(f.card.muted());
}

TEST(KeyboardGuard, UnlistedKeysDoNothing) {
    Keyed f;
    std::vector<unsigned> codes = {0x24, 0x29, 0x2F, 0x3A, 0x40, 0x6A, 0x6F, 0x72, 0x73, 0x76, 0xBE};
    for (unsigned c = 'A'; c <= 'Z'; ++c)
        if (std::string("AHLMNPQTU").find(char(c)) == std::string::npos) codes.push_back(c);
    uint64_t copies = f.h.display.windowCopies;
    for (unsigned code : codes) f.key(code);
    EXPECT_EQ(f.h.display.windowCopies, copies);
    EXPECT_TRUE(f.h.port.ops.empty());
    EXPECT_TRUE(f.h.window.log.empty());
}

TEST(KeyboardPresets, DigitAndNumericPadKeysSelectPresetsOneToTen) {
    struct { unsigned key; int preset; } cases[] = {{'0', 10}, {0x60, 10}, {0x65, 5}, {'1', 1}, {'9', 9}, {0x69, 9}};
    Keyed f;
    for (int i = 0; i < 10; ++i) f.s().presetTable[i] = 88.0f + i;
    for (auto c : cases) {
        f.key(c.key);
        EXPECT_EQ(f.s().presetIndex, c.preset) << c.key;
        EXPECT_FLOAT_EQ(f.s().frequency, 87.0f + c.preset);
        EXPECT_EQ(f.h.profile->readText("RadioStation", "STATION", "", 8), std::to_string(c.preset));
    }
}

TEST(KeyboardPresets, StoreKeyArmsOnlyOnTheFullPanelAndTheNextDigitStores) {
    Keyed f;
    f.s().panelStyle = styleCompact;
    f.key(0x70);
    f.s().panelStyle = styleMini;
    f.key('P');
    EXPECT_FALSE(f.s().modeFlags & MF_STORE);
    f.s().panelStyle = styleFull;
    f.s().frequency = 101.3f;
    f.key(0x70);
    EXPECT_TRUE(f.s().modeFlags & MF_STORE);
    EXPECT_TRUE(f.shows(125, 52, 48, 17, 105, 155));
    f.key('6');
    EXPECT_FLOAT_EQ(f.s().presetTable[5], 101.3f);
    EXPECT_FALSE(f.s().modeFlags & MF_STORE);
}

TEST(KeyboardClose, CancelKeepsThePanelWithTheStoreDisarmedAndYesCloses) {
    Keyed f;
    f.key('P');
    f.key(0x71);  // F2, cancelled
    EXPECT_EQ(f.h.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(f.h.window.exists);
    EXPECT_FALSE(f.s().modeFlags & MF_STORE);
    EXPECT_TRUE(f.shows(125, 52, 48, 17, 125, 52));
    f.h.dialogs.answers.push_back(BoxAnswer::Yes);
    f.key('Q');
    EXPECT_FALSE(f.h.window.exists);
}

TEST(KeyboardWindow, StayOnTopAndNormalLayerPlaceTheWindowWhereItIs) {
    Keyed f;
    f.s().windowX = 321;
    f.s().windowY = -40;
    for (unsigned key : {unsigned('T'), 0x74u}) {
        f.h.window.topmost = false;
        f.key(key);
        EXPECT_TRUE(f.s().stayOnTop);
        EXPECT_TRUE(f.h.window.topmost);
        EXPECT_EQ(f.h.window.x, 321);
        EXPECT_EQ(f.h.window.y, -40);
    }
    for (unsigned key : {unsigned('N'), 0x6Eu}) {
        f.h.window.topmost = true;
        f.key(key);
        EXPECT_FALSE(f.s().stayOnTop);
        EXPECT_FALSE(f.h.window.topmost);
    }
}

TEST(KeyboardToggles, SlumberAndMuteKeysDrawTheirLooksWithoutWritingSettings) {
    Keyed f;
    std::string before = f.settingsFile();
    f.key(0x6C);  // numeric-pad separator: slumber on
    EXPECT_EQ(f.s().modeFlags & (MF_SLUMBER_ON | MF_SLUMBER_SET), MF_SLUMBER_ON | MF_SLUMBER_SET);
    EXPECT_EQ(f.s().slumberRemaining, 5);
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 236, 159));
    EXPECT_TRUE(f.clockRestarted());
    f.s().slumberRemaining = 3;  // a running countdown restarts from its minutes left
    f.h.clock.seconds += 100;
    f.key('L');
    EXPECT_EQ(f.s().slumberEnd, f.h.clock.seconds + 180);
    f.key(0x75);  // F6: slumber off
    EXPECT_FALSE(f.s().modeFlags & (MF_SLUMBER_ON | MF_SLUMBER_SET));
    EXPECT_EQ(f.s().slumberRemaining, 0);
    EXPECT_EQ(f.s().slumberEnd, f.h.clock.seconds);
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 12, 83));
    EXPECT_TRUE(f.shows(20, 24, 6, 7, 215, 141));
    EXPECT_TRUE(f.bigDigit(95, 9));  // readout back at 89.000
    f.key('M');
    EXPECT_TRUE(f.card.muted());
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 312, 158));
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 2, 252));
    f.key('M');
    EXPECT_FALSE(f.card.muted());
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 170, 83));
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 29, 22));
    EXPECT_EQ(f.settingsFile(), before);
}

TEST(KeyboardToggles, AlarmKeyLeavesTheSlumberWindowOpenAndHelpOpensTheFile) {
    Keyed f;
    f.key('L');
    f.key('A');
    EXPECT_EQ(f.s().modeFlags & (MF_ALARM_ON | MF_ALARM_SET | MF_SLUMBER_SET),
              MF_ALARM_ON | MF_ALARM_SET | MF_SLUMBER_SET);
    EXPECT_TRUE(f.shows(84, 83, 35, 22, 312, 158));
    EXPECT_TRUE(f.shows(19, 35, 8, 8, 19, 35));
    f.key('H');
    ASSERT_EQ(f.h.dialogs.helpOpened.size(), 1u);
    EXPECT_EQ(f.h.dialogs.helpOpened[0], "C:\\Orvanta\\orvanta.hlp");
}

}  // namespace
}  // namespace orv::test
