// Keys, buttons, rockers, the store plate / volume rocker and the morph
// handles. Keys sit in a dark well that fills their whole rectangle; the cap
// leaves one well column on the right and one well row below, and a press
// moves the cap one pixel right and down.
#include "elements.h"
#include "paint.h"

namespace skinart {
namespace {

constexpr uint32_t kButtonTop = 0x4A4D53;
constexpr uint32_t kButtonBottom = 0x33353A;
constexpr uint32_t kIndicatorOff = 0x2A221A;
constexpr uint32_t kPowerSymbol = 0xE8603F;
constexpr uint32_t kLampOff = 0x1B3323;
constexpr uint32_t kLampLit = 0x6CFF96;
constexpr uint32_t kLampCore = 0xE6FFEC;
constexpr uint32_t kLampRim = 0x29BF54;
constexpr uint32_t kButtonHigh = 0x6A6E75;
constexpr uint32_t kButtonHighPressed = 0x50535A;
constexpr uint32_t kButtonLow = 0x232428;
constexpr uint32_t kLensGlint = 0x4A6A55;
constexpr uint32_t kWindowFrame = 0x1A1B1D;  // dark frame round a cap's indicator
constexpr uint32_t kSlotLowerLip = 0x202124;

void addStop(cairo_pattern_t* p, double at, uint32_t rgb, double alpha = 1.0) {
    cairo_pattern_add_color_stop_rgba(p, at, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                                      (rgb & 0xFF) / 255.0, alpha);
}

// Cap with bevels; pixel-aligned, no antialiasing needed.
void drawCap(cairo_t* cr, int x, int y, int w, int h, bool pressed, uint32_t face) {
    fillRect(cr, x, y, w, h, colour::kWell);
    const int cx = x + (pressed ? 1 : 0), cy = y + (pressed ? 1 : 0);
    const int cw = w - 1, ch = h - 1;
    fillRect(cr, cx, cy, cw, ch, face);
    const uint32_t high = pressed ? mix(face, colour::kCapHigh, 0.45) : colour::kCapHigh;
    const uint32_t low = pressed ? mix(face, colour::kCapLow, 0.5) : colour::kCapLow;
    // soft sheen under the top edge
    fillRect(cr, cx + 1, cy + 1, cw - 2, 1, mix(face, high, 0.3));
    fillRect(cr, cx + 1, cy + 2, cw - 2, 1, mix(face, high, 0.12));
    fillRect(cr, cx, cy, cw, 1, high);
    fillRect(cr, cx, cy, 1, ch, mix(face, high, 0.55));
    fillRect(cr, cx, cy + ch - 1, cw, 1, low);
    fillRect(cr, cx + cw - 1, cy, 1, ch, low);
    // rounded corners
    const uint32_t corner = mix(colour::kWell, face, 0.45);
    fillRect(cr, cx, cy, 1, 1, corner);
    fillRect(cr, cx + cw - 1, cy, 1, 1, corner);
    fillRect(cr, cx, cy + ch - 1, 1, 1, corner);
    fillRect(cr, cx + cw - 1, cy + ch - 1, 1, 1, corner);
}

// Cap face with a vertical gradient for the larger bottom-row controls.
void drawGradientCap(cairo_t* cr, int cx, int cy, int cw, int ch, bool pressed) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, cy, 0, cy + ch);
    const int darken = pressed ? -8 : 0;
    addStop(g, 0, shade(kButtonTop, darken));
    addStop(g, 1, shade(kButtonBottom, darken));
    cairo_rectangle(cr, cx, cy, cw, ch);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    const uint32_t high = pressed ? kButtonHighPressed : kButtonHigh;
    fillRect(cr, cx, cy, cw, 1, high);
    fillRect(cr, cx, cy, 1, ch, mix(kButtonTop, high, 0.5));
    fillRect(cr, cx, cy + ch - 1, cw, 1, kButtonLow);
    fillRect(cr, cx + cw - 1, cy, 1, ch, kButtonLow);
    const uint32_t corner = mix(colour::kWell, kButtonTop, 0.45);
    for (int dx : {0, cw - 1})
        for (int dy : {0, ch - 1}) fillRect(cr, cx + dx, cy + dy, 1, 1, corner);
}

void drawKeyLamp(cairo_t* cr, double cx, double cy, bool lit) {
    constexpr double kRadius = 2.3, kHaloRadius = 4.8;  // the halo stays inside the 10 x 10 corner
    setColour(cr, colour::kWell, 0.9);
    cairo_arc(cr, cx, cy, kRadius + 0.8, 0, 2 * kPi);
    cairo_fill(cr);
    if (lit) {
        cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 1.0, cx, cy, kHaloRadius);
        addStop(halo, 0, kLampLit, 0.55);
        addStop(halo, 1, kLampLit, 0.0);
        cairo_arc(cr, cx, cy, kHaloRadius, 0, 2 * kPi);
        cairo_set_source(cr, halo);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
        cairo_pattern_t* body = cairo_pattern_create_radial(cx - 0.4, cy - 0.4, 0.2, cx, cy, kRadius);
        addStop(body, 0, kLampCore);
        addStop(body, 0.5, kLampLit);
        addStop(body, 1, kLampRim);
        cairo_arc(cr, cx, cy, kRadius, 0, 2 * kPi);
        cairo_set_source(cr, body);
        cairo_fill(cr);
        cairo_pattern_destroy(body);
    } else {
        setColour(cr, kLampOff);
        cairo_arc(cr, cx, cy, kRadius, 0, 2 * kPi);
        cairo_fill(cr);
        setColour(cr, kLensGlint, 0.6);
        cairo_arc(cr, cx - 0.7, cy - 0.7, 0.7, 0, 2 * kPi);
        cairo_fill(cr);
    }
}

void drawMinus(cairo_t* cr, int cx, int cy, uint32_t c) {
    fillRect(cr, cx - 4, cy - 1, 8, 2, c);
}

void drawPlus(cairo_t* cr, int cx, int cy, uint32_t c) {
    fillRect(cr, cx - 4, cy - 1, 8, 2, c);
    fillRect(cr, cx - 1, cy - 4, 2, 8, c);
}

// Two solid triangles pointing left (dir = -1) or right (dir = +1),
// centred on (cx, cy).
void drawChevrons(cairo_t* cr, int cx, int cy, int dir, uint32_t c) {
    static const Bitmap kLeft{9, 7, {"...#...#.", "..##..##.", ".###.###.", "####.####",
                                     ".###.###.", "..##..##.", "...#...#."}};
    static const Bitmap kRight{9, 7, {".#...#...", ".##..##..", ".###.###.", "####.####",
                                      ".###.###.", ".##..##..", ".#...#..."}};
    drawBitmap(cr, dir < 0 ? kLeft : kRight, cx - 4, cy - 3, c);
}

// Speaker with one sound wave (quiet) or two (loud), 8 x 7.
void drawSpeaker(cairo_t* cr, int x, int y, bool loud, uint32_t c) {
    static const Bitmap kQuiet{8, 7, {"...#....", "..##....", "####.#..", "####.#..",
                                      "####.#..", "..##....", "...#...."}};
    static const Bitmap kLoud{8, 7, {"...#..#.", "..##...#", "####.#.#", "####.#.#",
                                     "####.#.#", "..##...#", "...#..#."}};
    drawBitmap(cr, loud ? kLoud : kQuiet, x, y, c);
}

}  // namespace

void drawPresetKey(cairo_t* cr, int x, int y, KeyLook look, int label) {
    const bool pressed = look == KeyLook::Pressed;
    const int shift = pressed ? 1 : 0;
    drawCap(cr, x, y, kKeyW, kKeyH, pressed, colour::kCapFace);
    drawKeyLamp(cr, x + 5 + shift, y + 5 + shift, look == KeyLook::Lit);
    if (label > 0)
        drawBitmap(cr, presetKeyLabel(label), x + kKeyLabelDx + shift, y + kKeyLabelDy + shift,
                   colour::kLabel);
}

void drawHelpKey(cairo_t* cr, int x, int y, bool pressed) {
    constexpr int kW = 21, kH = 17;
    const int shift = pressed ? 1 : 0;
    drawCap(cr, x, y, kW, kH, pressed, colour::kCapFace);
    drawBitmap(cr, fontGlyph(FontSize::Small5x7, '?'), x + 7 + shift, y + 4 + shift,
               colour::kLabel);
}

void drawPowerKey(cairo_t* cr, int x, int y, bool pressed) {
    // columns 0 and 20 stay panel background (the mini panel shows the key
    // one or two pixels off its place)
    constexpr int kBodyW = 19, kH = 22;
    const double shift = pressed ? 1 : 0;
    drawCap(cr, x + 1, y, kBodyW, kH, pressed, colour::kCapFace);
    const double cx = x + 1 + 9 + shift, cy = y + 11 + shift;
    cairo_save(cr);
    setColour(cr, kPowerSymbol);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_arc(cr, cx, cy, 4.6, -kPi / 2 + 0.75, 3 * kPi / 2 - 0.75);
    cairo_stroke(cr);
    cairo_move_to(cr, cx, cy - 6.2);
    cairo_line_to(cr, cx, cy - 1.6);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawDecadeKey(cairo_t* cr, int x, int y, bool pressed) {
    constexpr int kBodyW = 19, kH = 22;
    static const Bitmap kNarrowOne{3, 7, {".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"}};
    const int shift = pressed ? 1 : 0;
    drawCap(cr, x + 1, y, kBodyW, kH, pressed, colour::kCapFace);
    const int tx = x + 3 + shift, ty = y + 7 + shift;
    drawBitmap(cr, fontGlyph(FontSize::Small5x7, '+'), tx, ty, colour::kLabel);
    drawBitmap(cr, kNarrowOne, tx + 6, ty, colour::kLabel);
    drawBitmap(cr, fontGlyph(FontSize::Small5x7, '0'), tx + 10, ty, colour::kLabel);
}

void drawFrontButton(cairo_t* cr, int x, int y, KeyLook look) {
    constexpr int kW = 35, kH = 22;
    const bool in = look != KeyLook::Released;  // pressed and latched sit lower
    const int cx = x + (in ? 1 : 0), cy = y + (in ? 1 : 0);
    fillRect(cr, x, y, kW, kH, colour::kWell);
    drawGradientCap(cr, cx, cy, kW - 1, kH - 1, in);
    // indicator window in the cap
    const int bx = cx + 10, by = cy + 4, bw = 14, bh = 2;
    fillRect(cr, bx - 1, by - 1, bw + 2, bh + 2, kWindowFrame);
    if (look == KeyLook::Lit) {
        cairo_save(cr);
        cairo_rectangle(cr, cx + 1, cy + 1, kW - 3, kH - 3);
        cairo_clip(cr);
        for (int r = 3; r >= 1; --r)
            fillRect(cr, bx - r, by - r, bw + 2 * r, bh + 2 * r, colour::kAmberGlow, 0.12);
        cairo_restore(cr);
        fillRect(cr, bx, by, bw, bh, colour::kAmber);
        fillRect(cr, bx + 1, by, bw - 2, 1, colour::kAmberCore);
    } else {
        fillRect(cr, bx, by, bw, bh, kIndicatorOff);
    }
}

void drawRocker(cairo_t* cr, int x, int y, RockerMarks marks, RockerLook look) {
    constexpr int kW = 47, kH = 22, kSplit = 23;
    fillRect(cr, x, y, kW, kH, colour::kWell);
    const bool downIn = look == RockerLook::DownPressed;
    const bool upIn = look == RockerLook::UpPressed;
    // each half is its own cap; the pressed half sits one row lower
    drawGradientCap(cr, x, y + (downIn ? 1 : 0), kSplit, kH - 1, downIn);
    drawGradientCap(cr, x + kSplit, y + (upIn ? 1 : 0), kW - 1 - kSplit, kH - 1, upIn);
    const int leftCx = x + 12, rightCx = x + kSplit + 12;
    const int leftCy = y + 10 + (downIn ? 1 : 0), rightCy = y + 10 + (upIn ? 1 : 0);
    if (marks == RockerMarks::MinusPlus) {
        drawMinus(cr, leftCx, leftCy + 1, colour::kPrintShadow);
        drawMinus(cr, leftCx, leftCy, colour::kLabel);
        drawPlus(cr, rightCx, rightCy + 1, colour::kPrintShadow);
        drawPlus(cr, rightCx, rightCy, colour::kLabel);
    } else {
        drawChevrons(cr, leftCx, leftCy + 1, -1, colour::kPrintShadow);
        drawChevrons(cr, leftCx, leftCy, -1, colour::kLabel);
        drawChevrons(cr, rightCx, rightCy + 1, 1, colour::kPrintShadow);
        drawChevrons(cr, rightCx, rightCy, 1, colour::kLabel);
    }
}

void drawPlate(cairo_t* cr, int x, int y, PlateLook look) {
    constexpr int kW = 47, kH = 16, kSplit = 23;
    const bool storeIn = look == PlateLook::StorePressed || look == PlateLook::StoreArmed;
    switch (look) {
    case PlateLook::Store:
    case PlateLook::StorePressed:
    case PlateLook::StoreArmed: {
        const int s = storeIn ? 1 : 0;
        fillRect(cr, x, y, kW, kH, colour::kWell);
        drawGradientCap(cr, x + s, y + s, kW - 1, kH - 1, storeIn);
        const int lx = x + 6 + s, ly = y + 7 + s;
        fillRect(cr, lx - 2, ly - 2, 4, 4, kWindowFrame);
        if (look == PlateLook::StoreArmed) {
            fillRect(cr, lx - 3, ly - 3, 6, 6, colour::kRed, 0.18);
            fillRect(cr, lx - 4, ly - 4, 8, 8, colour::kRed, 0.10);
            fillRect(cr, lx - 1, ly - 1, 2, 2, colour::kRed);
        } else {
            fillRect(cr, lx - 1, ly - 1, 2, 2, colour::kRedGhost);
        }
        drawPrintedText(cr, FontSize::Small5x7, "STORE", x + 13 + s, y + 4 + s);
        break;
    }
    case PlateLook::Rocker:
    case PlateLook::RockerDown:
    case PlateLook::RockerUp:
    case PlateLook::Flash: {
        const bool downIn = look == PlateLook::RockerDown;
        const bool upIn = look == PlateLook::RockerUp;
        fillRect(cr, x, y, kW, kH, colour::kWell);
        drawGradientCap(cr, x, y + (downIn ? 1 : 0), kSplit, kH - 1, downIn);
        drawGradientCap(cr, x + kSplit, y + (upIn ? 1 : 0), kW - 1 - kSplit, kH - 1, upIn);
        if (look == PlateLook::Flash) {
            cairo_save(cr);
            cairo_rectangle(cr, x, y, kW, kH);
            cairo_clip(cr);
            for (int r = 0; r < 3; ++r) {
                setColour(cr, colour::kAmber, 0.55 - 0.17 * r);
                cairo_set_line_width(cr, 1);
                cairo_rectangle(cr, x + 0.5 + r, y + 0.5 + r, kW - 2 - 2 * r, kH - 2 - 2 * r);
                cairo_stroke(cr);
            }
            cairo_restore(cr);
            break;
        }
        const int down = downIn ? 1 : 0, up = upIn ? 1 : 0;
        drawSpeaker(cr, x + 8, y + 5 + down, false, colour::kPrintShadow);
        drawSpeaker(cr, x + 8, y + 4 + down, false, colour::kLabel);
        drawSpeaker(cr, x + kSplit + 7, y + 5 + up, true, colour::kPrintShadow);
        drawSpeaker(cr, x + kSplit + 7, y + 4 + up, true, colour::kLabel);
        break;
    }
    }
}

void drawTopHandle(cairo_t* cr, int x, int y, bool pressed) {
    constexpr int kW = 20, kH = 6;
    fillRect(cr, x, y, kW, kH, colour::kWell);
    fillRect(cr, x, y + kH - 1, kW, 1, kSlotLowerLip);
    const uint32_t ridge = pressed ? colour::kAmber : colour::kCapHigh;
    if (pressed) fillRect(cr, x + 2, y + 1, kW - 4, kH - 2, colour::kAmberGlow, 0.25);
    for (int i = 0; i < 6; ++i) fillRect(cr, x + 3 + 3 * i, y + 1, 1, kH - 2, ridge);
}

void drawLeftHandle(cairo_t* cr, int x, int y, bool pressed) {
    constexpr int kW = 6, kH = 20;
    fillRect(cr, x, y, kW, kH, colour::kWell);
    fillRect(cr, x + kW - 1, y, 1, kH, kSlotLowerLip);
    const uint32_t ridge = pressed ? colour::kAmber : colour::kCapHigh;
    if (pressed) fillRect(cr, x + 1, y + 2, kW - 2, kH - 4, colour::kAmberGlow, 0.25);
    for (int i = 0; i < 6; ++i) fillRect(cr, x + 1, y + 3 + 3 * i, kW - 2, 1, ridge);
}

}  // namespace skinart
