// The window procedure: remote messages, the click regions of each style,
// pressed faces and their release, auto-repeat and the close path.
#include <gtest/gtest.h>

#include "panel_fixture.h"
#include "shell/window_proc.h"
#include "tuner/simulated_card.h"

namespace orv::test {
namespace {

struct Started : CardPanel {
    Started() : CardPanel(true) {}
    bool dragging() const { return app.state.dragging; }
    // Key k (0..9) shows the lit look with its own label stamped at (16, 10).
    bool showsLitKey(int k) {
        static const int xs[] = {187, 215, 243, 271, 299};
        int x = xs[k % 5], y = k < 5 ? 18 : 44;
        return shows(x, y, 16, 22, 104, 199) && sourceOf(x + 16, y + 10) == "(" + std::to_string(2 + 7 * k) + ",212)";
    }
    bool timerRuns(unsigned id, unsigned period) const {
        auto it = h.window.timers.find(id);
        return it != h.window.timers.end() && it->second == period;
    }
};

TEST(RemoteMessages, SetStationIgnoresNumbersOutsideThePresetsAndUsesTheLowWord) {
    Started f;
    f.s().presetTable[41] = 101.3f;
    onRegisteredMessage(f.app, f.s().msgSetStation, 0);
    onRegisteredMessage(f.app, f.s().msgSetStation, 100);
    EXPECT_EQ(f.s().presetIndex, 1);
    EXPECT_TRUE(f.h.port.ops.empty());
    onRegisteredMessage(f.app, f.s().msgSetStation, 42);
    EXPECT_EQ(f.s().presetIndex, 42);
    EXPECT_EQ(f.card.tunedDivider(), 4480);  // 101.3 MHz
    EXPECT_TRUE(f.showsLitKey(1));  // key 2 lit at once
    onRegisteredMessage(f.app, f.s().msgSetStation, 0x00010001);
    EXPECT_EQ(f.s().presetIndex, 1);
}

TEST(RemoteMessages, SetVolumeZeroStepsUpAnythingElseDown) {
    Started f;
    onRegisteredMessage(f.app, f.s().msgSetVolume, 0);
    EXPECT_EQ(f.h.port.writes(), (std::vector<uint8_t>{0x88, 0xC8}));
    f.h.port.ops.clear();
    onRegisteredMessage(f.app, f.s().msgSetVolume, 5);
    EXPECT_EQ(f.h.port.writes(), (std::vector<uint8_t>{0x48, 0xC8}));
    EXPECT_EQ(f.card.volumeUpPulses(), 1);
    EXPECT_EQ(f.card.volumeDownPulses(), 1);
}

TEST(RemoteMessages, MuteWhileMutedStaysMutedRetunesAndPaints) {
    Started f;
    f.s().modeFlags |= MF_MUTED;
    onRegisteredMessage(f.app, f.s().msgMute, 1);
    EXPECT_TRUE(f.s().modeFlags & MF_MUTED);
    EXPECT_EQ(f.h.port.writes().size(), 99u);  // retuned anyway
    EXPECT_EQ(f.card.controlByte(), 0x25);
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 312, 158));  // the paint lit the mute key
    EXPECT_TRUE(f.shows(29, 22, 11, 9, 2, 252));
    onRegisteredMessage(f.app, f.s().msgMute, 0x10000);  // low word 0: sound on
    EXPECT_FALSE(f.s().modeFlags & MF_MUTED);
    EXPECT_EQ(f.card.controlByte(), 0x85);
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 170, 83));
    EXPECT_EQ(f.h.profile->readInt("AudioSettings", "MUTE", 7), 7);  // not written
}

TEST(RemoteMessages, UnregisteredIdentifiersAreNotOurs) {
    PanelFixture f;  // nothing registered yet: every identifier is 0
    EXPECT_FALSE(onRegisteredMessage(f.app, 0, 5));
    EXPECT_TRUE(f.h.port.ops.empty());
}

TEST(HitRegions, GapInTheTopRowStartsADragWithoutEndingTheDecade) {
    Started f;
    f.press(340, 50);  // decade key
    f.release();
    ASSERT_TRUE(f.s().decadeEntryActive);
    f.press(214, 25);
    EXPECT_TRUE(f.dragging());
    EXPECT_TRUE(f.s().decadeEntryActive);
    f.release();
    EXPECT_EQ(f.s().presetIndex, 1);
}

TEST(HitRegions, ClicksBetweenKeysCancelTheStoreEndTheDecadeAndDrag) {
    for (Point p : {Point{214, 50}, Point{120, 90}, Point{355, 90}}) {
        Started f;
        f.press(150, 60);  // arm the store
        f.release();
        f.press(340, 50);  // and start a decade
        f.release();
        ASSERT_TRUE(f.s().modeFlags & MF_STORE);
        f.press(p.x, p.y);
        EXPECT_FALSE(f.s().modeFlags & MF_STORE) << p.x << "," << p.y;
        EXPECT_FALSE(f.s().decadeEntryActive);
        EXPECT_TRUE(f.shows(125, 52, 48, 17, 125, 52));  // the plate is back
        EXPECT_TRUE(f.dragging());
        f.release();
    }
}

TEST(HitRegions, AnyClickDuringASeekOnlyStopsTheSeek) {
    Started f;
    f.s().modeFlags |= MF_SEEK_UP;
    f.h.window.setTimer(1, 180);
    f.press(250, 25);  // on preset key 3
    f.release();
    EXPECT_FALSE(f.s().modeFlags & MF_SEEK_UP);
    EXPECT_EQ(f.s().presetIndex, 1);
    EXPECT_TRUE(f.h.port.ops.empty());
    EXPECT_FALSE(f.dragging());
    EXPECT_TRUE(f.timerRuns(1, 3000));

    f.s().modeFlags |= MF_SEEK_DOWN;
    f.press(5, 5);  // the background would drag
    EXPECT_FALSE(f.s().modeFlags & MF_SEEK_DOWN);
    EXPECT_FALSE(f.dragging());
    EXPECT_TRUE(f.shows(99, 83, 27, 24, 99, 83));
    EXPECT_TRUE(f.shows(85, 109, 26, 10, 85, 109));
}

TEST(HitRegions, KeypadSelectsAndTheDecadeCompletesTheNumber) {
    Started f;
    f.press(250, 25);  // key 3
    EXPECT_EQ(f.s().presetIndex, 3);
    EXPECT_TRUE(f.shows(243, 18, 10, 10, 132, 176));  // pressed
    EXPECT_EQ(f.sourceOf(243 + 17, 18 + 11), "(16,212)");  // with key 3's label stamped in
    f.release();
    EXPECT_TRUE(f.showsLitKey(2));  // lit on release
    for (int i = 0; i < 9; ++i) {
        f.press(340, 50);
        f.release();
    }
    EXPECT_EQ(f.s().presetDecade, 90);
    f.press(280, 25);  // fourth top key
    f.release();
    EXPECT_EQ(f.s().presetIndex, 94);
    EXPECT_FALSE(f.s().decadeEntryActive);
    f.press(310, 50);  // fifth bottom key without a decade
    f.release();
    EXPECT_EQ(f.s().presetIndex, 10);
}

TEST(HitRegions, PowerKeyAsksAndShowsTheKeyReleasedWhenCancelled) {
    Started f;
    f.h.dialogs.answers.push_back(BoxAnswer::Cancel);
    f.press(340, 25);
    f.release();
    ASSERT_EQ(f.h.dialogs.boxes.size(), 1u);
    EXPECT_EQ(f.h.dialogs.boxes[0].text, "Do you want the music to be in the background");
    EXPECT_EQ(f.h.dialogs.boxes[0].title, "Power-off Message");
    EXPECT_TRUE(f.shows(331, 18, 21, 22, 331, 18));
    EXPECT_TRUE(f.h.window.exists);
    EXPECT_FALSE(f.dragging());
}

TEST(HitRegions, FrequencyDisplayMinimisesWithTheFrequencyAsTitle) {
    Started f;
    f.s().frequency = 98.5f;
    f.press(50, 60);
    EXPECT_EQ(f.h.window.title, "98.5");
    EXPECT_TRUE(f.h.window.minimized);
    EXPECT_FALSE(f.dragging());
}

TEST(HitRegions, MiniPanelHasOnlyItsSixRegions) {
    Started f;
    f.s().panelStyle = styleMini;
    f.s().decadeEntryActive = true;
    f.press(250, 25);  // where key 3 sits in the full panel: background here
    EXPECT_TRUE(f.dragging());
    EXPECT_EQ(f.s().presetIndex, 1);
    EXPECT_TRUE(f.s().decadeEntryActive);  // the mini background ends nothing
    f.release();

    f.press(5, 60);  // left handle: inert, no drag
    EXPECT_FALSE(f.dragging());
    f.release();

    f.press(130, 60);  // volume rocker, lower half
    EXPECT_EQ(f.h.port.writes(), (std::vector<uint8_t>{0x48, 0xC8}));
    EXPECT_TRUE(f.shows(125, 52, 48, 17, 151, 240));
    f.release();
    EXPECT_TRUE(f.shows(125, 52, 48, 17, 103, 223));

    f.press(160, 6);  // top handle: pressed face in the window and in the skin
    EXPECT_TRUE(f.shows(155, 4, 20, 6, 67, 263));
    EXPECT_EQ(f.h.display.skinPixel(155, 4), coordinateColour(67, 263));
    f.release();

    f.press(110, 60);  // help
    EXPECT_EQ(f.h.dialogs.helpOpened.size(), 1u);
    f.release();

    f.h.dialogs.answers.push_back(BoxAnswer::Cancel);
    f.press(185, 25);  // power key at 180
    EXPECT_EQ(f.h.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(f.shows(180, 18, 21, 22, 331, 18));
    f.release();
}

TEST(HitRegions, HeldTuningKeyRepeatsUntilThePointerSlidesOff) {
    Started f;
    f.press(290, 90);  // fine tune up
    EXPECT_FLOAT_EQ(f.s().frequency, 89.025f);
    EXPECT_TRUE(f.s().repeatActive);
    EXPECT_TRUE(f.timerRuns(2, 200));
    onTimer(f.app, 2);
    EXPECT_FLOAT_EQ(f.s().frequency, 89.05f);
    f.move(280, 90);  // off the key, still on the rocker
    EXPECT_FALSE(f.s().repeatActive);
    f.move(290, 90);  // sliding back does not restart it
    EXPECT_FALSE(f.s().repeatActive);
    onTimer(f.app, 2);
    EXPECT_FALSE(f.h.window.timers.count(2));
    EXPECT_FLOAT_EQ(f.s().frequency, 89.05f);
    f.release();
}

TEST(HitRegions, HelpKeyReleasedByMovingOff) {
    Started f;
    f.press(110, 60);
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 374, 87));
    f.move(115, 65);  // still on it
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 374, 87));
    f.move(121, 60);  // one pixel beyond the hot rectangle
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 100, 52));
    EXPECT_FALSE(f.s().faceRestore.armed);
}

TEST(HitRegions, MovingWithOtherButtonsHeldKeepsThePressedFace) {
    Started f;
    f.press(110, 60);
    f.move(200, 120, false);  // wParam says more than the left button
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 374, 87));
    onKeyUp(f.app);  // any key up releases it
    EXPECT_TRUE(f.shows(100, 52, 21, 17, 100, 52));
}

TEST(Close, SecondCloseWhileTheQuestionIsOpenIsIgnored) {
    Started f;
    int closes = 0;
    f.h.dialogs.whileOpen = [&] {
        if (closes++ == 0) onClose(f.app);  // the system asks again while the box is open
    };
    f.h.dialogs.answers.push_back(BoxAnswer::Yes);
    onClose(f.app);
    EXPECT_EQ(f.h.dialogs.boxes.size(), 1u);
    EXPECT_FALSE(f.h.window.exists);
    EXPECT_TRUE(f.h.window.quitPosted);
    EXPECT_EQ(f.h.window.quitCode, 0);
}

TEST(Close, NothingDrawsAfterThePanelHasClosed) {
    Started f;
    f.h.dialogs.answers.push_back(BoxAnswer::No);
    f.press(340, 25);  // power key: the released face is not copied after the close
    EXPECT_FALSE(f.h.window.exists);
    uint64_t copies = f.h.display.windowCopies;
    onTimer(f.app, 1);
    onTimer(f.app, 3);
    onPaintMessage(f.app);
    onLeftUp(f.app);
    onKeyUp(f.app);
    EXPECT_EQ(f.h.display.windowCopies, copies);
    EXPECT_TRUE(f.card.muted());  // No: the card goes on muted
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// A drag outlined at 50, 20 from where it started.
struct Dragging : Started {
    Dragging() {
        press(214, 25);  // the gap in the top row
        move(264, 45);
    }
    bool screenClean() const {
        for (uint32_t p : h.display.screen)
            if (p != 0) return false;
        return true;
    }
};

TEST(DragEnd, LostCaptureEndsTheDragAsAReleaseWould) {
    Dragging f;
    ASSERT_TRUE(f.dragging());
    ASSERT_FALSE(f.screenClean());
    onCaptureLost(f.app);
    EXPECT_FALSE(f.dragging());
    EXPECT_TRUE(f.screenClean());  // the outline is put back exactly
    EXPECT_FALSE(f.h.display.screenOpen);
    EXPECT_EQ(f.h.window.x, 200);
    EXPECT_EQ(f.h.window.y, 120);
    // The release that follows (if any) and a second loss change nothing.
    f.release();
    onCaptureLost(f.app);
    EXPECT_EQ(f.h.window.x, 200);
    EXPECT_TRUE(f.screenClean());
}

TEST(DragEnd, ClosingDuringADragLeavesNoOutlineAndSavesWhereItEnded) {
    for (unsigned key : {unsigned('Q'), 0x71u /* F2 */}) {
        Dragging f;
        f.h.dialogs.answers.push_back(BoxAnswer::Yes);
        onKeyDown(f.app, key);
        EXPECT_FALSE(f.dragging());
        EXPECT_TRUE(f.screenClean());
        EXPECT_FALSE(f.h.display.screenOpen);
        EXPECT_FALSE(f.h.window.exists);
        EXPECT_EQ(f.saved("Position", "X"), "200");
        EXPECT_EQ(f.saved("Position", "Y"), "120");
    }
}

TEST(DragEnd, EndOfSessionSavesWhatClosingSavesWithoutAsking) {
    Dragging f;
    f.s().modeFlags |= MF_ALARM_ON;
    f.s().alarmHour = 6, f.s().alarmMinute = 45, f.s().alarmPreset = 3;
    onEndSession(f.app);
    EXPECT_TRUE(f.h.dialogs.boxes.empty());
    EXPECT_TRUE(f.screenClean());
    EXPECT_EQ(f.saved("Position", "X"), "200");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM"), "1");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM_HR"), "6");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM_MIN"), "45");
    EXPECT_EQ(f.saved("AudioSettings", "ALARM_STATION"), "3");
    EXPECT_EQ(f.saved("AudioSettings", "SLUMBER"), "0");
    EXPECT_TRUE(f.h.window.exists);  // the system ends the process itself
}

}  // namespace
}  // namespace orv::test
