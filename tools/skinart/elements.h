// Drawing functions for each kind of panel element. Every function draws the
// element's whole rectangle (background included) with its top-left at
// (x, y), so the same call serves the face and the atlas.
#pragma once

#include <cairo.h>

#include <cstdint>

namespace skinart {

// ---- readout glyphs (readout_art.cpp) ----
constexpr int kBigCellW = 14, kBigCellH = 21;
constexpr int kNarrowCellW = 5, kMarkCellW = 4;
constexpr int kSmallCellW = 7, kSmallCellH = 10;
constexpr int kClockCellW = 8, kClockCellH = 10;
constexpr int kClockMarkW = 6;

enum class BigGlyph { D0, D1, D2, D3, D4, D5, D6, D7, D8, D9, Off, LetterA, LetterP };
enum class MarkGlyph { Point, Colon, Separator, None };

BigGlyph bigDigit(int d);
void drawBigCell(cairo_t* cr, int x, int y, BigGlyph glyph);
void drawNarrowCell(cairo_t* cr, int x, int y, bool one);       // hundreds cell
void drawMarkCell(cairo_t* cr, int x, int y, MarkGlyph lit);    // point / colon / separator
void drawSmallDigit(cairo_t* cr, int x, int y, int digit);     // preset readout, -1 blank
void drawPendingMark(cairo_t* cr, int x, int y);
void drawClockDigit(cairo_t* cr, int x, int y, int digit);     // -1 blank
void drawClockColon(cairo_t* cr, int x, int y);
void drawClockMark(cairo_t* cr, int x, int y, bool pm);
void fillGlass(cairo_t* cr, int x, int y, int w, int h);

// ---- lamps (readout_art.cpp), each on the readout glass ----
void drawSignalLamp(cairo_t* cr, int x, int y, bool lit);   // 29 x 10
void drawMuteLamp(cairo_t* cr, int x, int y, bool lit);     // 11 x 9
void drawSlumberLamp(cairo_t* cr, int x, int y, bool lit);  // 6 x 6 (plus a surround row)
void drawAlarmLamp(cairo_t* cr, int x, int y, bool lit);    // 8 x 8

// ---- controls (control_art.cpp) ----
enum class KeyLook { Released, Pressed, Lit };
enum class RockerLook { Released, DownPressed, UpPressed };
enum class RockerMarks { MinusPlus, Chevrons };
enum class PlateLook { Store, StorePressed, StoreArmed, Rocker, RockerDown, RockerUp, Flash };

constexpr int kKeyW = 27, kKeyH = 22;
constexpr int kKeyLabelDx = 16, kKeyLabelDy = 10;

// label 0 draws no label (the atlas looks get theirs stamped at run time)
void drawPresetKey(cairo_t* cr, int x, int y, KeyLook look, int label);
void drawHelpKey(cairo_t* cr, int x, int y, bool pressed);     // 21 x 17
void drawPowerKey(cairo_t* cr, int x, int y, bool pressed);    // 21 x 22, plain margins
void drawDecadeKey(cairo_t* cr, int x, int y, bool pressed);   // 21 x 22, plain margins
void drawFrontButton(cairo_t* cr, int x, int y, KeyLook look); // 35 x 22
void drawRocker(cairo_t* cr, int x, int y, RockerMarks marks, RockerLook look);  // 47 x 22
void drawPlate(cairo_t* cr, int x, int y, PlateLook look);     // inside 47 x 16
void drawTopHandle(cairo_t* cr, int x, int y, bool pressed);   // 20 x 6
void drawLeftHandle(cairo_t* cr, int x, int y, bool pressed);  // 6 x 20

}  // namespace skinart
