// The panel's scale: the setting, the desktop's scale from Xft.dpi or DPI,
// the limit of the screen, panel pixels from screen offsets, and the saved
// corner, the drag and the window size at a scale above 1.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "panel_fixture.h"
#include "shell/window_proc.h"
#include "shell/window_scale.h"

namespace orv::test {
namespace {

struct SettingCase {
    const char* text;
    int expect;  // 0: auto
};

TEST(ScaleSetting, WholeNumbersWithinOneToFourElseAuto) {
    const SettingCase cases[] = {
        {"auto", 0}, {"AUTO", 0}, {"", 0}, {"   ", 0}, {"1", 1}, {" 2 ", 2}, {"\t3", 3}, {"4", 4},
        {"0", 0},            // no scale at all: auto
        {"5", 4},            // beyond the largest: the largest
        {"99999999999999999999", 4},  // no overflow into something small
        {"-1", 0}, {"+2", 0}, {"2x", 0}, {"1.5", 0}, {"two", 0}, {"autox", 0},
    };
    for (const SettingCase& c : cases) EXPECT_EQ(parseScaleSetting(c.text), c.expect) << "'" << c.text << "'";
}

struct DpiCase {
    const char* resources;
    double expect;
};

TEST(XftDpi, ReadFromTheResourceLinesOnlyWhenAPositiveNumber) {
    const DpiCase cases[] = {
        {"Xft.dpi:\t192\n", 192},
        {"*customization:\t-color\nXft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144},
        {"Xft.dpi:\t120.5", 120.5},  // no line end after the last line
        {"Xft.dpi: 96\nXft.dpi:\t192\n", 192},  // the last one counts, as in the database
        {"Xft.dpi:\t192\nXft.dpi:\tlarge\n", 0},
        {"", 0},
        {"Xft.antialias:\t1\n", 0},
        {"Xft.dpix:\t192\n", 0},  // another name
        {"XXft.dpi:\t192\n", 0},
        {"Xft.dpi\t192\n", 0},  // no colon
        {"Xft.dpi:\n", 0},
        {"Xft.dpi:\tabc\n", 0},
        {"Xft.dpi:\t192dpi\n", 0},
        {"Xft.dpi:\t-96\n", 0},
        {"Xft.dpi:\t0\n", 0},
        {"Xft.dpi:\tnan\n", 0},
        {"Xft.dpi:\tinf\n", 0},
        {"Xft.dpi:\t1e999\n", 0},
    };
    for (const DpiCase& c : cases) EXPECT_DOUBLE_EQ(xftDpi(c.resources), c.expect) << "'" << c.resources << "'";
    EXPECT_EQ(xftDpi(nullptr), 0);
}

TEST(DesktopScale, XftDpiBeforeTheDisplaysDpiRoundedDownWithinOneToFour) {
    EXPECT_EQ(desktopScaleOf("Xft.dpi:\t192\n", 96), 2);
    EXPECT_EQ(desktopScaleOf("Xft.dpi:\t96\n", 288), 1);  // the resource wins over the display
    EXPECT_EQ(desktopScaleOf("Xft.dpi:\t191.9\n", 0), 1);  // set by the user: taken as it is
    EXPECT_EQ(desktopScaleOf("", 191), 2);  // measured from millimetres: a little short of 192
    EXPECT_EQ(desktopScaleOf("", 187), 1);
    EXPECT_EQ(desktopScaleOf("Xft.dpi:\t288\n", 0), 3);
    EXPECT_EQ(desktopScaleOf("Xft.dpi:\t72\n", 192), 1);  // below 96: still 1, never 0
    EXPECT_EQ(desktopScaleOf("Xft.dpi:\tbad\n", 192), 2);  // a bad resource: the display's DPI
    EXPECT_EQ(desktopScaleOf("", 100), 1);
    EXPECT_EQ(desktopScaleOf("", 0), 1);
    EXPECT_EQ(desktopScaleOf("", -5), 1);
    EXPECT_EQ(desktopScaleOf("", std::nan("")), 1);
    EXPECT_EQ(desktopScaleOf("", 1e12), 4);
    EXPECT_EQ(desktopScaleOf("", INFINITY), 1);
    EXPECT_EQ(scaleOfDpi(480), 4);
    EXPECT_EQ(scaleOfDpi(383.9), 3);
}

TEST(ChosenScale, TheSettingOrTheDesktopsButNoLargerThanTheScreenHolds) {
    EXPECT_EQ(chooseScale(2, 3, 1920, 1080), 2);  // a number is taken as it is
    EXPECT_EQ(chooseScale(0, 3, 1920, 1080), 3);  // auto
    EXPECT_EQ(chooseScale(4, 1, 1024, 768), 2);   // 3 x 367 is wider than 1024
    EXPECT_EQ(chooseScale(4, 1, 1468, 528), 4);   // exactly the screen
    EXPECT_EQ(chooseScale(4, 1, 1467, 528), 3);
    EXPECT_EQ(chooseScale(4, 1, 1468, 527), 3);
    EXPECT_EQ(chooseScale(2, 1, 300, 100), 1);    // a screen smaller than the panel: 1, never 0
    EXPECT_EQ(chooseScale(0, 0, 1920, 1080), 1);  // a desktop scale of 0 from a bad back end
    EXPECT_EQ(chooseScale(0, 9, 0, 0), 4);        // screen size unknown: no limit but 4
}

TEST(PanelPixels, ScreenOffsetsRoundTowardsMinusInfinity) {
    EXPECT_EQ(toPanel(0, 2), 0);
    EXPECT_EQ(toPanel(1, 2), 0);
    EXPECT_EQ(toPanel(2, 2), 1);
    EXPECT_EQ(toPanel(733, 2), 366);  // the last screen column is the panel's last
    EXPECT_EQ(toPanel(-1, 2), -1);    // left of the window is left of the panel
    EXPECT_EQ(toPanel(-2, 2), -1);
    EXPECT_EQ(toPanel(-3, 2), -2);
    EXPECT_EQ(toPanel(-4, 3), -2);
    EXPECT_EQ(toPanel(INT_MIN, 2), INT_MIN / 2);
    EXPECT_EQ(toPanel(-7, 1), -7);
    EXPECT_EQ(toPanel(-7, 0), -7);  // no scale: as at 1
}

TEST(PanelCorner, PulledInSoThatTheLargerPanelHangsOverNoFurtherThanAtOne) {
    const Rect screen{0, 0, 1024, 768};
    auto fit = [&](int x, int y, int scale, const Rect& desktop) {
        const Point p = fitOnDesktop(Point{x, y}, faceWidth, faceHeight, scale, desktop);
        return std::to_string(p.x) + "," + std::to_string(p.y);
    };
    EXPECT_EQ(fit(900, 700, 1, screen), "900,700");  // at 1 nothing changes
    EXPECT_EQ(fit(150, 100, 2, screen), "150,100");
    EXPECT_EQ(fit(600, 500, 2, screen), "290,500");  // fitted at 1: ends at the edge at 2
    EXPECT_EQ(fit(600, 504, 2, screen), "290,504");  // 504 + 264 = 768: still on
    EXPECT_EQ(fit(800, 700, 2, screen), "433,568");  // hung over at 1: by as much at 2
    EXPECT_EQ(fit(-40, -20, 2, screen), "-40,-20");  // off the left and top: kept
    EXPECT_EQ(fit(100, 100, 4, screen), "0,100");    // wider than the screen: the left edge shows
    EXPECT_EQ(fit(-40, 100, 4, screen), "-40,100");  // already off the left: stays, pulled no further
    const Rect twoMonitors{-1280, 0, 1920, 1080};
    EXPECT_EQ(fit(1700, 100, 2, twoMonitors), "1333,100");
    EXPECT_EQ(fit(-1280, 900, 2, twoMonitors), "-1280,816");
    EXPECT_EQ(fit(INT_MIN, INT_MIN, 2, screen), std::to_string(INT_MIN) + "," + std::to_string(INT_MIN));
}

// The core at a scale: the setting reaches the window before it is created,
// the saved corner is fitted, the drag moves in screen pixels and the
// window keeps its panel size.
struct ScaledPanel : PanelFixture {
    explicit ScaledPanel(const char* scale, int desktopScale = 1) {
        if (scale) setting("Window", "SCALE", scale);
        h.window.desktopScaleValue = desktopScale;
    }
};

TEST(ScaledPanel, TheSettingOrTheDesktopsScaleIsSetBeforeTheWindowIsCreated) {
    struct Case {
        const char* setting;
        int desktop, screenWidth, expect;
    };
    const Case cases[] = {
        {"2", 1, 1024, 2}, {nullptr, 2, 1024, 2}, {"auto", 3, 1920, 3}, {"auto", 3, 1024, 2},
        {"0", 2, 1024, 2}, {"5", 1, 1920, 4},     {"junk", 1, 1024, 1},
    };
    for (const Case& c : cases) {
        ScaledPanel f(c.setting, c.desktop);
        f.h.display.screenWidth = c.screenWidth;
        f.h.display.screenHeight = 1080;
        f.start();
        EXPECT_EQ(f.h.window.panelScale, c.expect) << (c.setting ? c.setting : "(none)");
        EXPECT_EQ(f.h.window.width, faceWidth);  // sizes stay in panel pixels
    }
}

TEST(ScaledPanel, SavedCornerNearTheEdgeIsPulledInAfterTheScreenTest) {
    ScaledPanel f("2");
    f.setting("Position", "X", "600");
    f.setting("Position", "Y", "700");
    f.start();
    EXPECT_EQ(f.s().windowX, 290);
    EXPECT_EQ(f.s().windowY, 568);  // 64 rows hung over at 1, as many at 2
    EXPECT_EQ(f.h.window.x, 290);

    ScaledPanel beyond("2");
    beyond.setting("Position", "X", "1025");  // beyond the screen: the default, not pulled in
    beyond.start();
    EXPECT_EQ(beyond.s().windowX, 150);
    EXPECT_EQ(beyond.s().windowY, 100);
}

TEST(ScaledPanel, DragMovesTheWindowByTwiceThePanelPixelsAndKeepsItsSize) {
    ScaledPanel f("2");
    f.start();
    const Rect before = f.h.window.screenRect();
    EXPECT_EQ(before.right - before.left, 2 * faceWidth);
    f.press(360, 120);
    f.move(370, 127);
    EXPECT_EQ(f.s().dragFrame.left, 150 + 20);
    EXPECT_EQ(f.s().dragFrame.bottom, 100 + 14 + 2 * faceHeight);
    f.move(340, 100);  // back past the start: up and left
    f.release();
    EXPECT_EQ(f.s().windowX, 150 - 40);
    EXPECT_EQ(f.s().windowY, 100 - 40);
    EXPECT_EQ(f.h.window.width, faceWidth);
    EXPECT_EQ(f.h.window.height, faceHeight);
}

}  // namespace
}  // namespace orv::test
