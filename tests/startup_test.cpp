// Start-up: the order of things, the saved position, the paths beside the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "panel_fixture.h"
#include "shell/startup.h"
#include "tuner/simulated_card.h"

namespace orv::test {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t indexOf(const std::vector<std::string>& log, const std::string& entry) {
    return size_t(std::find(log.begin(), log.end(), entry) - log.begin());
}

TEST(Startup, RunsInOrderAndRegistersMessagesAfterTheFirstTuning) {
    PanelFixture f;
    f.h.journalPortWrites();
    EXPECT_EQ(f.start(), 0);
    const auto& log = f.h.window.log;
    size_t reg = indexOf(log, "registerClass"), create = indexOf(log, "create");
    size_t timer = indexOf(log, "setTimer 1 3000"), firstWrite = indexOf(log, "W C9");
    size_t station = indexOf(log, "registerMessage TQ_SETSTATION");
    size_t volume = indexOf(log, "registerMessage TQ_SETVOLUME");
    size_t mute = indexOf(log, "registerMessage TQ_MUTE"), show = indexOf(log, "show");
    ASSERT_LT(show, log.size());
    EXPECT_LT(reg, create);
    EXPECT_LT(create, timer);
    EXPECT_LT(timer, firstWrite);
    // The probe's last write (back to the idle byte) comes before any message exists.
    size_t lastWriteBeforeStation = 0;
    for (size_t i = 0; i < station; ++i)
        if (log[i].rfind("W ", 0) == 0) lastWriteBeforeStation = i;
    EXPECT_EQ(log[lastWriteBeforeStation], "W C8");
    EXPECT_EQ(f.h.port.writes().size(), 97u + 2u);
    EXPECT_LT(station, volume);
    EXPECT_LT(volume, mute);
    EXPECT_LT(mute, show);
    EXPECT_NE(f.s().msgSetStation, 0u);
}

TEST(Startup, FirstTuningPlaysPresetOneFromTheSimulatedCard) {
    PanelFixture f;
    SimulatedCard card;
    f.h.port.attached = &card;
    f.start();
    EXPECT_EQ(card.tunedDivider(), 3988);  // preset 1 at its default 89.0 MHz
    EXPECT_EQ(card.controlByte(), 0x85);
    EXPECT_FLOAT_EQ(f.s().frequency, 89.0f);
    EXPECT_EQ(f.s().modeFlags & MF_SIGNAL, 0u);  // no station at 89.0 in the default list
}

TEST(Startup, NoSettingsFileGivesTheDefaultState) {
    PanelFixture f;
    f.start();
    EXPECT_EQ(f.s().presetIndex, 1);
    EXPECT_EQ(f.s().panelStyle, 0);
    EXPECT_EQ(f.s().windowX, 150);
    EXPECT_EQ(f.s().windowY, 100);
    EXPECT_EQ(f.s().slumberMinutes, 5);
    EXPECT_EQ(f.s().modeFlags & ~MF_SIGNAL, 0u);
    EXPECT_EQ(f.h.window.x, 150);
    EXPECT_EQ(f.h.window.y, 100);
    EXPECT_EQ(f.h.window.width, 367);
    EXPECT_EQ(f.h.window.height, 132);
}

struct PositionCase {
    const char* x;
    const char* y;
    int expectX, expectY;
};

class SavedPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(SavedPosition, IsResetOnlyWhenBeyondTheScreen) {
    const PositionCase& c = GetParam();
    PanelFixture f;  // the headless screen is 1024 x 768
    if (c.x) f.setting("Position", "X", c.x);
    if (c.y) f.setting("Position", "Y", c.y);
    f.start();
    EXPECT_EQ(f.s().windowX, c.expectX);
    EXPECT_EQ(f.s().windowY, c.expectY);
    EXPECT_EQ(f.h.window.x, c.expectX);
}

INSTANTIATE_TEST_SUITE_P(Startup, SavedPosition,
                         ::testing::Values(PositionCase{"1024", "700", 1024, 700},  // equal to the width stays
                                           PositionCase{"1025", "700", 150, 100},   // both reset, though Y was fine
                                           PositionCase{"500", "769", 150, 100},
                                           PositionCase{"500", "768", 500, 768},
                                           PositionCase{"-40", "-20", -40, -20},  // partly off the screen
                                           PositionCase{nullptr, nullptr, 150, 100}));

TEST(Startup, ClassOrWindowFailureEndsBeforeAnythingIsReadOrTouched) {
    PanelFixture noClass;
    noClass.h.window.failRegister = true;
    EXPECT_EQ(noClass.start(), 0);
    EXPECT_TRUE(noClass.h.port.ops.empty());

    PanelFixture noWindow;
    noWindow.h.window.failCreate = true;
    noWindow.setting("RadioStation", "STATION", "7");
    EXPECT_EQ(noWindow.start(), 0);
    EXPECT_TRUE(noWindow.h.port.ops.empty());
    EXPECT_EQ(noWindow.s().presetIndex, 1);  // settings never read
}

TEST(Startup, CardIsOpenedOnlyOnceTheWindowExists) {
    PanelFixture noWindow;
    noWindow.h.window.failCreate = true;
    noWindow.start();
    EXPECT_EQ(noWindow.h.port.opens, 0);

    PanelFixture f;
    f.h.journalPortWrites();
    f.start();
    EXPECT_EQ(f.h.port.opens, 1);
    const auto& log = f.h.window.log;
    EXPECT_LT(indexOf(log, "create"), indexOf(log, "open card"));
    EXPECT_LT(indexOf(log, "open card"), indexOf(log, "W C9"));
}

// A card that was named and cannot be had: its reason in an error box, and
// the program ends before the settings are read or any is written.
TEST(Startup, NamedCardThatCannotBeHadEndsBeforeAnySettingIsWritten) {
    PanelFixture f;
    f.h.port.refuseOpen = "No port access: install the port driver (inpout32.dll) or run on Windows 95/98/ME";
    f.setting("RadioStation", "STATION", "7");
    const std::string before = fileText(f.h.profile->path());
    EXPECT_EQ(f.start(), 0);
    ASSERT_EQ(f.h.dialogs.boxes.size(), 1u);
    EXPECT_EQ(f.h.dialogs.boxes[0].text, f.h.port.refuseOpen);
    EXPECT_EQ(f.h.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(f.h.dialogs.boxes[0].kind, BoxKind::ErrorOk);
    EXPECT_TRUE(f.h.port.ops.empty());
    EXPECT_EQ(f.s().presetIndex, 1);
    EXPECT_FALSE(f.h.window.exists);
    EXPECT_FALSE(f.h.window.shown);
    EXPECT_EQ(fileText(f.h.profile->path()), before);
}

// With a second monitor the desktop reaches beyond the primary screen.
TEST(Startup, PositionOnAnyMonitorStaysAndBeyondAllIsReset) {
    const struct {
        Rect desktop;
        const char *x, *y;
        int expectX, expectY;
    } cases[] = {
        {{0, 0, 2944, 1080}, "2500", "900", 2500, 900},     // second monitor to the right
        {{0, 0, 2944, 1080}, "2945", "900", 150, 100},      // beyond it
        {{-1920, 0, 1024, 1080}, "-1500", "300", -1500, 300}, // monitor to the left
        {{0, -1200, 1920, 1080}, "300", "1081", 150, 100},
        {{0, 0, 0, 0}, "1025", "700", 150, 100},            // no virtual screen: the primary one
    };
    for (const auto& c : cases) {
        PanelFixture f;
        f.h.window.desktop = c.desktop;
        f.setting("Position", "X", c.x);
        f.setting("Position", "Y", c.y);
        f.start();
        EXPECT_EQ(f.s().windowX, c.expectX) << c.x;
        EXPECT_EQ(f.s().windowY, c.expectY) << c.y;
    }
}

TEST(Startup, HelpPathSitsBesideTheProgram) {
    PanelFixture f;
    buildHelpFilePath(f.app, "C:\\Program Files\\Orvanta\\orvanta.exe");
    EXPECT_STREQ(f.s().helpFilePath, "C:\\Program Files\\Orvanta\\orvanta.hlp");
    buildHelpFilePath(f.app, "A:orvanta.exe");
    EXPECT_STREQ(f.s().helpFilePath, "A:orvanta.hlp");
    buildModuleDirectory(f.app, "C:\\Program Files\\Orvanta\\orvanta.exe");
    EXPECT_STREQ(f.s().moduleDirectory, "C:\\Program Files\\Orvanta\\");
}

TEST(Startup, PosixProgramPathsCutAtTheLastSlash) {
    PanelFixture f;
    buildModuleDirectory(f.app, "/usr/local/bin/orvanta");
    EXPECT_STREQ(f.s().moduleDirectory, "/usr/local/bin/");
    buildHelpFilePath(f.app, "/usr/local/bin/orvanta");
    EXPECT_STREQ(f.s().helpFilePath, "/usr/local/bin/orvanta.hlp");
    buildModuleDirectory(f.app, "C:\\Orvanta/sub\\orvanta.exe");  // mixed: the last of either
    EXPECT_STREQ(f.s().moduleDirectory, "C:\\Orvanta/sub\\");
}

TEST(Startup, HelpPathThatWouldNotFitEndsInQuestionMark) {
    PanelFixture f;
    std::string dir = "C:\\" + std::string(114, 'd') + "\\";  // 118 characters: 118 + 11 + 1 > 128
    buildHelpFilePath(f.app, dir + "o.exe");
    EXPECT_EQ(std::string(f.s().helpFilePath), dir + "?");
    std::string fits = "C:\\" + std::string(112, 'd') + "\\";  // 116 + 11 + 1 = 128 fits exactly
    buildHelpFilePath(f.app, fits + "o.exe");
    EXPECT_EQ(std::string(f.s().helpFilePath), fits + "orvanta.hlp");
}

TEST(Startup, OverlongProgramPathStaysWithinItsBuffersAndFailsTheSkinLoad) {
    PanelFixture f;
    f.h.window.modulePathValue = "C:\\" + std::string(300, 'x') + "\\orvanta.exe";
    f.start();
    EXPECT_LT(std::string(f.s().moduleDirectory).size(), 128u);
    EXPECT_LT(std::string(f.s().helpFilePath).size(), 128u);
    EXPECT_FALSE(f.s().skinLoaded);
    ASSERT_FALSE(f.h.dialogs.boxes.empty());
    EXPECT_EQ(f.h.dialogs.boxes.back().text, "Error loading Data File 1");
}

TEST(Startup, HelpKeyOpensTheHelpFileFromTheProgramDirectory) {
    PanelFixture f;
    f.start();
    ShowHelp(f.app);
    ASSERT_EQ(f.h.dialogs.helpOpened.size(), 1u);
    EXPECT_EQ(f.h.dialogs.helpOpened[0], "C:\\Orvanta\\orvanta.hlp");
}

}  // namespace
}  // namespace orv::test
