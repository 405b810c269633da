// The readout window: seven-segment glyphs, clock glyphs and the lamps that
// sit behind the glass.
#include <array>
#include <string>

#include "elements.h"
#include "paint.h"

namespace skinart {
namespace {

// Segment bits: a (top), b (top right), c (bottom right), d (bottom),
// e (bottom left), f (top left), g (middle).
enum : unsigned { SegA = 1, SegB = 2, SegC = 4, SegD = 8, SegE = 16, SegF = 32, SegG = 64 };
constexpr unsigned kAllSegments = 0x7F;
constexpr std::array<unsigned, 10> kDigitSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                     0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr unsigned kLetterA = SegA | SegB | SegC | SegE | SegF | SegG;
constexpr unsigned kLetterP = SegA | SegB | SegE | SegF | SegG;

// Big segment geometry inside a 14 x 21 cell, in pixel-edge coordinates:
// 2 px strokes on whole pixels, a slight italic lean.
constexpr double kSegHalf = 1.0;
constexpr double kSegGap = 0.55;
constexpr double kTopY = 3, kMidY = 11, kBottomY = 19;
constexpr double kLeftX = 4, kRightX = 11;
constexpr double kLean = 0.085;  // x shift per pixel above the middle line
constexpr double kGlowWidth = 3.2;
constexpr double kGlowAlpha = 0.22;

struct Origin {
    double x, y;
};

double lean(double y) { return kLean * (kMidY - y); }

void moveTo(cairo_t* cr, Origin o, double x, double y) {
    cairo_move_to(cr, o.x + x + lean(y), o.y + y);
}
void lineTo(cairo_t* cr, Origin o, double x, double y) {
    cairo_line_to(cr, o.x + x + lean(y), o.y + y);
}

void horizontalSegment(cairo_t* cr, Origin o, double x1, double x2, double y) {
    const double h = kSegHalf;
    x1 += kSegGap;
    x2 -= kSegGap;
    moveTo(cr, o, x1, y);
    lineTo(cr, o, x1 + h, y - h);
    lineTo(cr, o, x2 - h, y - h);
    lineTo(cr, o, x2, y);
    lineTo(cr, o, x2 - h, y + h);
    lineTo(cr, o, x1 + h, y + h);
    cairo_close_path(cr);
}

void verticalSegment(cairo_t* cr, Origin o, double x, double y1, double y2) {
    const double h = kSegHalf;
    y1 += kSegGap;
    y2 -= kSegGap;
    moveTo(cr, o, x, y1);
    lineTo(cr, o, x + h, y1 + h);
    lineTo(cr, o, x + h, y2 - h);
    lineTo(cr, o, x, y2);
    lineTo(cr, o, x - h, y2 - h);
    lineTo(cr, o, x - h, y1 + h);
    cairo_close_path(cr);
}

void segmentPath(cairo_t* cr, Origin o, unsigned segments, double leftX, double rightX) {
    if (segments & SegA) horizontalSegment(cr, o, leftX, rightX, kTopY);
    if (segments & SegG) horizontalSegment(cr, o, leftX, rightX, kMidY);
    if (segments & SegD) horizontalSegment(cr, o, leftX, rightX, kBottomY);
    if (segments & SegF) verticalSegment(cr, o, leftX, kTopY, kMidY);
    if (segments & SegE) verticalSegment(cr, o, leftX, kMidY, kBottomY);
    if (segments & SegB) verticalSegment(cr, o, rightX, kTopY, kMidY);
    if (segments & SegC) verticalSegment(cr, o, rightX, kMidY, kBottomY);
}

// Fills the current path as lit readout ink: halo, body, hot core.
void fillLit(cairo_t* cr) {
    setColour(cr, colour::kAmberGlow, kGlowAlpha);
    cairo_set_line_width(cr, kGlowWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    setColour(cr, colour::kAmber);
    cairo_fill_preserve(cr);
    setColour(cr, colour::kAmberCore, 0.35);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
}

void drawSegments(cairo_t* cr, Origin o, unsigned lit, unsigned ghost, double leftX,
                  double rightX) {
    segmentPath(cr, o, ghost & ~lit, leftX, rightX);
    setColour(cr, colour::kAmberGhost);
    cairo_fill(cr);
    segmentPath(cr, o, lit, leftX, rightX);
    fillLit(cr);
}

void clipTo(cairo_t* cr, int x, int y, int w, int h) {
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
}

void dotPath(cairo_t* cr, Origin o, double cx, double cy) {
    const double r = 1.15;
    cairo_new_sub_path(cr);
    cairo_arc(cr, o.x + cx + lean(cy), o.y + cy, r, 0, 2 * kPi);
}

// Small crisp segment glyphs (preset and clock readouts): 1 px strokes in a
// 5 x 9 box whose top-left is (x, y).
void smallSegmentRects(cairo_t* cr, int x, int y, unsigned segments) {
    if (segments & SegA) cairo_rectangle(cr, x + 1, y, 3, 1);
    if (segments & SegG) cairo_rectangle(cr, x + 1, y + 4, 3, 1);
    if (segments & SegD) cairo_rectangle(cr, x + 1, y + 8, 3, 1);
    if (segments & SegF) cairo_rectangle(cr, x, y + 1, 1, 3);
    if (segments & SegE) cairo_rectangle(cr, x, y + 5, 1, 3);
    if (segments & SegB) cairo_rectangle(cr, x + 4, y + 1, 1, 3);
    if (segments & SegC) cairo_rectangle(cr, x + 4, y + 5, 1, 3);
}

void drawSmallSegments(cairo_t* cr, int x, int y, unsigned segments) {
    // halo: the strokes widened by one pixel, painted once
    cairo_push_group(cr);
    setColour(cr, colour::kAmberGlow);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) smallSegmentRects(cr, x + dx, y + dy, segments);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.2);
    smallSegmentRects(cr, x, y, segments);
    setColour(cr, colour::kAmber);
    cairo_fill(cr);
}

void drawLampBitmap(cairo_t* cr, const Bitmap& icon, int x, int y, bool lit, uint32_t on,
                    uint32_t ghost) {
    if (lit) {
        drawBitmapGlow(cr, icon, x, y, on, 0.28);
        drawBitmap(cr, icon, x, y, on);
    } else {
        drawBitmap(cr, icon, x, y, ghost);
    }
}

}  // namespace

BigGlyph bigDigit(int d) { return static_cast<BigGlyph>(d); }

void fillGlass(cairo_t* cr, int x, int y, int w, int h) {
    fillRect(cr, x, y, w, h, colour::kGlass);
}

void drawBigCell(cairo_t* cr, int x, int y, BigGlyph glyph) {
    cairo_save(cr);
    clipTo(cr, x, y, kBigCellW, kBigCellH);
    fillGlass(cr, x, y, kBigCellW, kBigCellH);
    unsigned lit = 0;
    if (glyph == BigGlyph::LetterA) lit = kLetterA;
    else if (glyph == BigGlyph::LetterP) lit = kLetterP;
    else if (glyph != BigGlyph::Off) lit = kDigitSegments[static_cast<int>(glyph)];
    drawSegments(cr, {double(x), double(y)}, lit, kAllSegments, kLeftX, kRightX);
    cairo_restore(cr);
}

void drawNarrowCell(cairo_t* cr, int x, int y, bool one) {
    cairo_save(cr);
    clipTo(cr, x, y, kNarrowCellW, kBigCellH);
    fillGlass(cr, x, y, kNarrowCellW, kBigCellH);
    if (one) {
        // only the right-hand strokes exist in this cell: no ghost, so that
        // the blank hundreds cell stays plain glass
        segmentPath(cr, {double(x), double(y)}, SegB | SegC, -4.0, 3.0);
        fillLit(cr);
    }
    cairo_restore(cr);
}

void drawMarkCell(cairo_t* cr, int x, int y, MarkGlyph lit) {
    cairo_save(cr);
    clipTo(cr, x, y, kMarkCellW, kBigCellH);
    fillGlass(cr, x, y, kMarkCellW, kBigCellH);
    const Origin o{double(x), double(y)};
    const double cx = 2.0;
    for (int pass = 0; pass < 2; ++pass) {
        const bool litPass = pass == 1;
        auto want = [&](MarkGlyph m) { return (lit == m) == litPass; };
        if (want(MarkGlyph::Point)) dotPath(cr, o, cx - 0.3, kBottomY - 0.3);
        if (want(MarkGlyph::Colon)) {
            dotPath(cr, o, cx, 7.0);
            dotPath(cr, o, cx, 15.0);
        }
        if (want(MarkGlyph::Separator)) {
            cairo_move_to(cr, o.x + 0.4 + lean(kMidY), o.y + kMidY - kSegHalf);
            cairo_rel_line_to(cr, 3.2, 0);
            cairo_rel_line_to(cr, 0, 2 * kSegHalf);
            cairo_rel_line_to(cr, -3.2, 0);
            cairo_close_path(cr);
        }
        if (litPass) {
            fillLit(cr);
        } else {
            setColour(cr, colour::kAmberGhost);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

void drawSmallDigit(cairo_t* cr, int x, int y, int digit) {
    cairo_save(cr);
    clipTo(cr, x, y, kSmallCellW, kSmallCellH);
    fillGlass(cr, x, y, kSmallCellW, kSmallCellH);
    if (digit >= 0) drawSmallSegments(cr, x + 1, y + 1, kDigitSegments[digit]);
    cairo_restore(cr);
}

void drawPendingMark(cairo_t* cr, int x, int y) {
    cairo_save(cr);
    clipTo(cr, x, y, kSmallCellW, kSmallCellH);
    fillGlass(cr, x, y, kSmallCellW, kSmallCellH);
    drawSmallSegments(cr, x + 1, y + 1, SegD);
    cairo_restore(cr);
}

void drawClockDigit(cairo_t* cr, int x, int y, int digit) {
    // The digit occupies columns 2..6 of its 8-column cell; column 0 stays
    // glass, so the hour-tens blank (a window 5 px left of digit zero) is
    // plain, and digit one sits in column 6, inside the hour-tens window.
    fillGlass(cr, x, y, kClockCellW, kClockCellH);
    cairo_save(cr);
    clipTo(cr, x + 1, y, kClockCellW - 1, kClockCellH);  // the halo stays off column 0
    if (digit >= 0) drawSmallSegments(cr, x + 2, y, kDigitSegments[digit]);
    cairo_restore(cr);
}

void drawClockColon(cairo_t* cr, int x, int y) {
    fillGlass(cr, x, y, 2, kClockCellH);
    cairo_save(cr);
    clipTo(cr, x, y, 2, kClockCellH);
    cairo_push_group(cr);
    setColour(cr, colour::kAmberGlow);
    cairo_rectangle(cr, x, y + 1, 2, 4);
    cairo_rectangle(cr, x, y + 5, 2, 4);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.2);
    fillRect(cr, x, y + 2, 2, 2, colour::kAmber);
    fillRect(cr, x, y + 6, 2, 2, colour::kAmber);
    cairo_restore(cr);
}

void drawClockMark(cairo_t* cr, int x, int y, bool pm) {
    cairo_save(cr);
    clipTo(cr, x, y, kClockMarkW, kClockCellH);
    fillGlass(cr, x, y, kClockMarkW, kClockCellH);
    const Bitmap letter = fontGlyph(FontSize::Small5x7, pm ? 'P' : 'A');
    drawBitmapGlow(cr, letter, x, y + 2, colour::kAmberGlow, 0.2);
    drawBitmap(cr, letter, x, y + 2, colour::kAmber);
    cairo_restore(cr);
}

void drawSignalLamp(cairo_t* cr, int x, int y, bool lit) {
    constexpr int kW = 29, kH = 10;
    cairo_save(cr);
    clipTo(cr, x, y, kW, kH);
    fillGlass(cr, x, y, kW, kH);
    int pen = x;
    for (char c : std::string("TUNED")) {
        const Bitmap g = fontGlyph(FontSize::Small5x7, c);
        drawLampBitmap(cr, g, pen, y + 2, lit, colour::kGreen, colour::kGreenGhost);
        pen += g.width + 1;
    }
    cairo_restore(cr);
}

void drawMuteLamp(cairo_t* cr, int x, int y, bool lit) {
    static const Bitmap kSpeakerCrossed{11, 9,
                                        {"...........",
                                         "...#.......",
                                         "..##..#...#",
                                         "####...#.#.",
                                         "####....#..",
                                         "####...#.#.",
                                         "..##..#...#",
                                         "...#.......",
                                         "..........."}};
    cairo_save(cr);
    clipTo(cr, x, y, 11, 9);
    fillGlass(cr, x, y, 11, 9);
    drawLampBitmap(cr, kSpeakerCrossed, x, y, lit, colour::kRed, colour::kRedGhost);
    cairo_restore(cr);
}

void drawSlumberLamp(cairo_t* cr, int x, int y, bool lit) {
    // A crescent moon in a 6 x 6 square; the row below stays plain glass so
    // the off look reads the same through both of its windows.
    cairo_save(cr);
    clipTo(cr, x, y, 6, 6);
    fillGlass(cr, x, y, 6, 6);
    cairo_push_group(cr);
    setColour(cr, lit ? colour::kCyan : colour::kCyanGhost);
    cairo_arc(cr, x + 2.9, y + 3.0, 2.9, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_arc(cr, x + 4.5, y + 1.8, 2.35, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_t* moon = cairo_pop_group(cr);
    if (lit) {  // halo: the moon painted again, spread by a pixel
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                if (dx == 0 && dy == 0) continue;
                cairo_save(cr);
                cairo_translate(cr, dx, dy);
                cairo_set_source(cr, moon);
                cairo_paint_with_alpha(cr, 0.07);
                cairo_restore(cr);
            }
    }
    cairo_set_source(cr, moon);
    cairo_paint(cr);
    cairo_pattern_destroy(moon);
    cairo_restore(cr);
}

void drawAlarmLamp(cairo_t* cr, int x, int y, bool lit) {
    static const Bitmap kBell{8, 8,
                              {"...##...", "..####..", ".######.", ".######.", ".######.",
                               "########", "........", "...##..."}};
    cairo_save(cr);
    clipTo(cr, x, y, 8, 8);
    fillGlass(cr, x, y, 8, 8);
    drawLampBitmap(cr, kBell, x, y, lit, colour::kAmber, colour::kAmberGhost);
    cairo_restore(cr);
}

}  // namespace skinart
