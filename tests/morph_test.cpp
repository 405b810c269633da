// The style morph: the handles start it, timer 1 steps it, and the finish
// leaves the window and the skin in the new style.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/morph.h"
#include "panel_fixture.h"
#include "shell/window_proc.h"

namespace orv::test {
namespace {

constexpr int kX = 300, kY = 210;  // the saved window position

struct Morph : PanelFixture {
    explicit Morph(const char* style = "0") {
        setting("SYSTEM", "STYLE", style);
        setting("Position", "X", "300");
        setting("Position", "Y", "210");
        start();
        h.profile->writeString("SYSTEM", "STYLE", nullptr);  // so that every finish must write it
    }

    void tick() { onTimer(app, clockTimer); }
    // Ticks until the step counter reaches c (a few hundred ticks at most).
    void tickUntil(int c) {
        for (int guard = 0; s().morphCounter < c && guard < 400; ++guard) tick();
        ASSERT_EQ(s().morphCounter, c);
    }
    void leftHandle() { press(5, 60), release(); }
    void topHandle() { press(160, 6), release(); }
    std::string savedStyle() { return h.profile->readText("SYSTEM", "STYLE", "<none>", 16); }
    int width() const { return h.window.width; }
    int height() const { return h.window.height; }

    // True when the skin's w x h at (x, y) holds the loaded skin's w x h at (sx, sy).
    bool skinHolds(int x, int y, int w, int hgt, int sx, int sy) const {
        for (int r = 0; r < hgt; ++r)
            for (int c = 0; c < w; ++c)
                if (h.display.skinPixel(x + c, y + r) != coordinateColour(sx + c, sy + r)) return false;
        return true;
    }
    bool handlesReleased() const {
        return skinHolds(3, 53, 6, 20, 74, 270) && skinHolds(155, 4, 20, 6, 67, 256) &&
               shows(3, 53, 6, 20, 74, 270) && shows(155, 4, 20, 6, 67, 256);
    }

    // Ticks until the morph ends; the window size after every tick. Every
    // tick must find the fast timer and leave the window where it was.
    std::vector<int> run(bool widths) {
        std::vector<int> sizes;
        for (int guard = 0; s().morphState != 0 && guard < 400; ++guard) {
            EXPECT_EQ(h.window.timers[clockTimer], morphPeriodMs);
            tick();
            EXPECT_EQ(h.window.x, kX);
            EXPECT_EQ(h.window.y, kY);
            sizes.push_back(widths ? width() : height());
        }
        EXPECT_EQ(s().morphState, 0);
        EXPECT_EQ(h.window.timers[clockTimer], clockPeriodMs);
        EXPECT_FALSE(h.window.captured);
        return sizes;
    }
};

std::vector<int> range(int from, int to, int step) {
    std::vector<int> v;
    for (int x = from; step > 0 ? x <= to : x >= to; x += step) v.push_back(x);
    return v;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(MorphStart, RequestsThatDoNotFitTheStyleDoNothing) {
    struct Case {
        const char* style;
        std::vector<int> requests;
    } cases[] = {{"0", {morphCompactToFull, morphCompactToMini, morphMiniToCompact, 0, 5}},
                 {"1", {morphFullToCompact, morphMiniToCompact}},
                 {"2", {morphFullToCompact, morphCompactToFull, morphCompactToMini}}};
    for (const Case& c : cases) {
        Morph f(c.style);
        const std::vector<uint32_t> skin = f.h.display.skin;
        const uint64_t copies = f.h.display.windowCopies;
        const int w = f.width(), hgt = f.height();
        for (int request : c.requests) startMorph(f.app, request);
        morphTick(f.app);  // and with no morph a step does nothing either
        EXPECT_EQ(f.s().morphState, 0) << c.style;
        EXPECT_EQ(f.h.window.timers[clockTimer], clockPeriodMs) << c.style;
        EXPECT_EQ(f.width(), w);
        EXPECT_EQ(f.height(), hgt);
        EXPECT_EQ(f.h.display.windowCopies, copies) << c.style;
        EXPECT_TRUE(f.h.display.skin == skin) << c.style;
    }
}

TEST(MorphFold, FullToCompactSlidesThePanelUpAndPatchesTheSkin) {
    Morph f;
    f.leftHandle();
    EXPECT_EQ(f.s().morphState, 1);
    EXPECT_EQ(f.height(), 131);
    EXPECT_TRUE(f.shows(0, 74, 367, 57, 0, 75));
    EXPECT_EQ(f.h.window.timers[clockTimer], morphPeriodMs);

    std::vector<int> heights;
    for (int i = 0; i < 10; ++i) f.tick(), heights.push_back(f.height());  // C = 2 .. 11
    EXPECT_TRUE(f.shows(0, 74, 367, 47, 0, 85));
    EXPECT_TRUE(f.shows(0, 0, 367, 4, 0, 0));  // the upper part stays

    f.h.window.captured = true;
    const uint32_t before = f.h.clock.ticks;
    heights = heights + f.run(false);
    EXPECT_GE(f.h.clock.ticks - before, 200u);  // the flash held the thread
    EXPECT_EQ(heights, range(130, 82, -1) + std::vector<int>{82});  // 50 ticks
    EXPECT_EQ(f.s().panelStyle, styleCompact);
    EXPECT_EQ(f.savedStyle(), "1");
    EXPECT_EQ(f.width(), 367);
    EXPECT_TRUE(f.skinHolds(0, 74, 367, 8, 0, 124));     // the bottom edge
    EXPECT_TRUE(f.skinHolds(125, 52, 47, 16, 103, 223));  // the volume rocker
    EXPECT_TRUE(f.shows(125, 52, 47, 16, 103, 223));
    EXPECT_TRUE(f.handlesReleased());
}

TEST(MorphFold, CompactToFullPutsBackTheFullPanelFromTheSpares) {
    Morph f;
    f.leftHandle();
    f.run(false);
    f.leftHandle();
    EXPECT_EQ(f.s().morphState, 2);
    EXPECT_EQ(f.height(), 83);
    EXPECT_TRUE(f.skinHolds(0, 74, 367, 8, 0, 325));  // spare rows back at once
    EXPECT_TRUE(f.shows(0, 74, 367, 8, 0, 124));
    EXPECT_EQ(f.h.display.windowPixel(100, 82), 0u);  // the ninth row was clipped

    f.s().modeFlags |= MF_MUTED | MF_ALARM_ON | MF_SLUMBER_ON;
    f.s().alarmHour = 3;  // neither the alarm nor the slumber is due in the finishing tick
    f.s().slumberRemaining = 60;
    f.s().slumberEnd = f.h.clock.seconds + 3600;
    std::vector<int> heights = f.run(false);
    EXPECT_EQ(heights, range(84, 132, 1) + std::vector<int>{132});
    EXPECT_EQ(f.s().panelStyle, styleFull);
    EXPECT_EQ(f.savedStyle(), "0");
    EXPECT_TRUE(f.skinHolds(0, 74, 367, 8, 0, 325));
    EXPECT_TRUE(f.skinHolds(125, 52, 47, 16, 105, 136));  // the store plate
    EXPECT_TRUE(f.shows(125, 52, 47, 16, 105, 136));
    EXPECT_TRUE(f.shows(0, 74, 367, 8, 0, 325));  // the last strip: the full panel's own rows
    EXPECT_TRUE(f.shows(0, 105, 367, 27, 0, 105));
    EXPECT_TRUE(f.shows(170, 83, 35, 22, 312, 158));  // the latched keys
    EXPECT_TRUE(f.shows(84, 83, 35, 22, 312, 158));
    EXPECT_TRUE(f.shows(12, 83, 35, 22, 236, 159));
    EXPECT_TRUE(f.handlesReleased());
}

TEST(MorphFold, TopHandleTurnsAGrowthBackAtTheMirroredStep) {
    Morph f("1");
    f.leftHandle();
    f.tickUntil(20);
    EXPECT_EQ(f.height(), 102);
    f.topHandle();
    EXPECT_EQ(f.s().morphCounter, 31);
    EXPECT_EQ(f.s().morphState, 1);
    EXPECT_EQ(f.s().panelStyle, styleFull);
    f.tick();
    EXPECT_EQ(f.height(), 100);
    EXPECT_EQ(f.run(false), range(99, 82, -1) + std::vector<int>{82});
    EXPECT_EQ(f.s().panelStyle, styleCompact);
    EXPECT_EQ(f.savedStyle(), "1");
    EXPECT_TRUE(f.skinHolds(0, 74, 367, 8, 0, 124));
    EXPECT_TRUE(f.handlesReleased());
}

TEST(MorphFold, TurningBackBeforeTheFirstStepStillEndsEightyTwoHigh) {
    Morph f("1");
    f.leftHandle();  // the window is 83 high
    f.topHandle();
    EXPECT_EQ(f.run(false), (std::vector<int>{82, 82}));
    EXPECT_EQ(f.s().panelStyle, styleCompact);
}

TEST(MorphSide, CompactToMiniEndsWithTheEndCapInTheSkin) {
    Morph f("1");
    f.topHandle();
    EXPECT_EQ(f.s().morphState, 1);
    EXPECT_EQ(f.width(), 366);
    EXPECT_TRUE(f.skinHolds(331, 44, 21, 22, 26, 256));  // the decade key blanked
    EXPECT_TRUE(f.shows(180, 0, 186, 44, 181, 0));

    f.tickUntil(101);
    EXPECT_EQ(f.width(), 266);
    EXPECT_TRUE(f.shows(180, 0, 86, 44, 281, 0));  // the right part slides left
    EXPECT_TRUE(f.shows(0, 0, 180, 4, 0, 0));
    f.tickUntil(191);
    EXPECT_EQ(f.width(), 204);
    EXPECT_TRUE(f.shows(177, 0, 25, 44, 342, 0));  // the end cap slides out

    std::vector<int> widths = f.run(true);
    EXPECT_EQ(widths, range(206, 216, 2) + std::vector<int>{216});
    EXPECT_EQ(f.s().panelStyle, styleMini);
    EXPECT_EQ(f.savedStyle(), "2");
    EXPECT_EQ(f.height(), 82);
    EXPECT_TRUE(f.shows(176, 0, 39, 44, 328, 0));
    EXPECT_TRUE(f.skinHolds(177, 0, 40, 44, 327, 0));
    EXPECT_TRUE(f.skinHolds(177, 66, 40, 8, 327, 66));
    EXPECT_TRUE(f.skinHolds(177, 74, 40, 8, 327, 124));  // with the compact bottom edge
    EXPECT_TRUE(f.skinHolds(181, 44, 21, 22, 26, 256));
    EXPECT_TRUE(f.handlesReleased());
}

TEST(MorphSide, CompactToMiniWidthsStepByTwo) {
    Morph f("1");
    f.topHandle();
    EXPECT_EQ(f.run(true), range(364, 190, -2) + range(192, 216, 2) + std::vector<int>{216});
}

TEST(MorphSide, MiniToCompactPutsBackTheColumnsFromTheSpare) {
    Morph f("1");
    f.topHandle();
    f.run(true);
    f.topHandle();
    EXPECT_EQ(f.s().morphState, 2);
    EXPECT_EQ(f.width(), 216);  // nothing drawn yet
    EXPECT_TRUE(f.skinHolds(331, 44, 21, 22, 399, 205));  // the decade key's face back

    f.tickUntil(11);  // the tick at C = 9 ran
    EXPECT_EQ(f.width(), 207);
    EXPECT_TRUE(f.shows(177, 0, 30, 44, 337, 0));  // the end cap slides left
    f.tickUntil(103);  // C = 101
    EXPECT_EQ(f.width(), 265);
    EXPECT_TRUE(f.shows(178, 0, 85, 44, 282, 0));  // the right part slides out
    EXPECT_TRUE(f.skinHolds(177, 0, 40, 82, 369, 0));

    std::vector<int> widths = f.run(true);
    EXPECT_EQ(widths, range(267, 367, 2) + std::vector<int>{367});
    EXPECT_EQ(f.s().panelStyle, styleCompact);
    EXPECT_EQ(f.savedStyle(), "1");
    EXPECT_EQ(f.height(), 82);
    EXPECT_TRUE(f.skinHolds(177, 0, 40, 74, 369, 0));
    // The whole panel repainted, with preset 1's lamp lit.
    EXPECT_TRUE(f.shows(177, 0, 40, 18, 369, 0));
    EXPECT_TRUE(f.shows(177, 28, 40, 46, 369, 28));
    EXPECT_TRUE(f.shows(217, 0, 110, 44, 217, 0));
    EXPECT_TRUE(f.shows(331, 44, 21, 22, 399, 205));
    EXPECT_TRUE(f.shows(0, 74, 177, 8, 0, 124));
    EXPECT_TRUE(f.shows(187, 18, 10, 10, 104, 199));  // the lamp of preset 1
    EXPECT_TRUE(f.handlesReleased());
}

TEST(MorphSide, MiniFromStartUpWidensFromTwoHundredSeventeen) {
    Morph f("2");
    EXPECT_EQ(f.width(), 217);
    f.topHandle();
    std::vector<int> widths = f.run(true);
    EXPECT_EQ(widths, range(215, 187, -2) + range(195, 367, 2) + std::vector<int>{367});
    EXPECT_EQ(f.savedStyle(), "1");
    EXPECT_TRUE(f.shows(177, 0, 40, 18, 369, 0));
    EXPECT_TRUE(f.shows(331, 44, 21, 22, 399, 205));
}

TEST(MorphTick, TheClockWaitsForTheFinishingTick) {
    Morph f;
    const int minuteUnits = 56;
    EXPECT_TRUE(f.shows(minuteUnits, 34, 8, 10, 267, 239));  // 10:30
    f.leftHandle();
    f.h.clock.local = LocalTime{10, 37};
    for (int i = 0; i < 49; ++i) f.tick();
    EXPECT_EQ(f.s().morphState, 1);
    EXPECT_TRUE(f.shows(minuteUnits, 34, 8, 10, 267, 239));
    EXPECT_TRUE(f.skinHolds(minuteUnits, 34, 8, 10, 267, 239));
    f.tick();
    EXPECT_EQ(f.s().morphState, 0);
    EXPECT_TRUE(f.shows(minuteUnits, 34, 8, 10, 267 + 8 * 7, 239));
}

TEST(MorphTick, HandlePressesDuringAMorphChangeNothing) {
    struct Case {
        const char* style;
        bool left;  // the handle that starts it
    } cases[] = {{"0", true}, {"1", true}, {"1", false}, {"2", false}};
    for (const Case& c : cases) {
        Morph f(c.style);
        c.left ? f.leftHandle() : f.topHandle();
        for (int i = 0; i < 5; ++i) f.tick();
        const ReceiverState before = f.s();
        const int w = f.width(), hgt = f.height();
        f.leftHandle();
        if (!c.left || std::string(c.style) == "0") f.topHandle();  // all but the reversal
        EXPECT_EQ(f.s().morphState, before.morphState) << c.style;
        EXPECT_EQ(f.s().panelStyle, before.panelStyle) << c.style;
        EXPECT_EQ(f.s().morphCounter, before.morphCounter) << c.style;
        EXPECT_EQ(f.width(), w);
        EXPECT_EQ(f.height(), hgt);
        EXPECT_EQ(f.h.window.timers[clockTimer], morphPeriodMs);
        f.run(c.style[0] == '0' ? false : !c.left);
    }
}

}  // namespace
}  // namespace orv::test
