// Composes the skin: the face at rest, every alternative look rendered in
// place on a copy of the face and moved to its atlas position, the glyph
// strips, and finally the pixel-exact spare copies.
#include "artwork.h"

#include <cmath>
#include <string>

#include "elements.h"
#include "paint.h"
#include "raster.h"

namespace skinart {
namespace {

// ---------------------------------------------------------------- places
// Where each control sits on the face.
constexpr Rect kGlass{13, 15, 161, 33};
constexpr Rect kSignalLamp{44, 22, 29, 10};
constexpr Rect kMuteLamp{29, 22, 11, 9};
constexpr Rect kSlumberLamp{20, 24, 6, 7};  // lamp rows 24..29, row 30 surround
constexpr Rect kAlarmLamp{19, 35, 8, 8};
constexpr int kReadoutX = 76, kReadoutY = 23;
constexpr int kPresetCellX = 157, kPresetCellY = 33;
constexpr Rect kClockColon{44, 34, 2, 10};
constexpr Rect kTopHandle{155, 4, 20, 6};
constexpr Rect kLeftHandle{3, 53, 6, 20};
constexpr Rect kNameplate{23, 54, 76, 12};
constexpr Rect kHelpKey{100, 52, 21, 17};
constexpr Rect kPlate{125, 52, 48, 17};
constexpr Rect kPower{331, 18, 21, 22};
constexpr Rect kDecade{331, 44, 21, 22};

struct PresetKeyPlace {
    int x, y;
};
constexpr PresetKeyPlace kPresetKeys[10] = {{187, 18}, {215, 18}, {243, 18}, {271, 18},
                                            {299, 18}, {187, 44}, {215, 44}, {243, 44},
                                            {271, 44}, {299, 44}};

constexpr Rect kSlumberOnButton{12, 83, 35, 22};
constexpr Rect kSlumberOffButton{48, 83, 35, 22};
constexpr Rect kAlarmButton{84, 83, 35, 22};
constexpr Rect kMuteButton{170, 83, 35, 22};
constexpr Rect kVolumeRocker{122, 83, 47, 22};
constexpr Rect kCoarseRocker{208, 83, 47, 22};
constexpr Rect kFineRocker{257, 83, 47, 22};
constexpr Rect kSeekRocker{306, 83, 47, 22};

// Structure of the face.
constexpr int kFoldRow = 74;         // compact panel: rows 74..81 become the bottom edge
constexpr int kEdgeRow = 124;        // bottom edge rows 124..131
constexpr int kEdgeRows = 8;
constexpr int kDrawerTop = 82;       // first row of the bottom button drawer
constexpr int kCapLeft = 327;        // end cap columns 327..366
constexpr int kTexturePeriod = 50;   // rows 73 and 123 share their brushing
constexpr int kCaptionRow = 106;
constexpr int kGroupCaptionRow = 115;  // its shadow ends on row 122

// Colours of the face's fixed furniture.
constexpr uint32_t kEdgeChamfer = 0x4C4F55;
constexpr uint32_t kEdgeShadow = 0x1C1D20;
constexpr uint32_t kEdgeBottom = 0x111214;
constexpr uint32_t kDrawerHighlight = 0x45484D;
constexpr uint32_t kBezelShadow = 0x1F2023;
constexpr uint32_t kBezelLowerLip = 0x505359;
constexpr uint32_t kBezelRightLip = 0x474A50;
constexpr uint32_t kGlassSheen = 0x1A1C1E;
constexpr uint32_t kGlassSheenFaint = 0x121314;
constexpr uint32_t kGlassLegend = 0x5A4426;  // unlit amber print behind the glass
constexpr uint32_t kBracketInk = 0x8A8D92;
constexpr uint32_t kScrewRecess = 0x141517;
constexpr uint32_t kScrewSlot = 0x1A1B1D;
constexpr uint32_t kNameplateRim = 0x1A1B1E;
constexpr uint32_t kNameplateLowerLip = 0x4A4D52;
constexpr uint32_t kNameplateRightLip = 0x3C3F44;
constexpr uint32_t kNameplateField = 0x222327;
constexpr uint32_t kBrandInk = 0xD8DBDF;

// ---------------------------------------------------------------- body
// Brushing depends on the row only, so a look copied sideways to another
// control of the same row fits seamlessly. The upper module (rows 0..73) and
// the drawer (rows 82..123) each darken slightly towards their lower edge and
// end on the same shade and brushing, so row 73 looks like row 123.
uint32_t brushedRow(int y) {
    const uint32_t r = static_cast<uint32_t>(y % kTexturePeriod);
    const uint32_t h = (r * 2654435761u + 0x9E3779B9u) ^ (r * 40503u);
    const int streak = static_cast<int>((h >> 11) % 9) - 4;
    double depth = 0;  // 0 at a module's top, 1 at its last body row
    if (y < kFoldRow) depth = y / double(kFoldRow - 1);
    else if (y >= kDrawerTop && y < kEdgeRow) depth = (y - kDrawerTop) / double(kEdgeRow - 1 - kDrawerTop);
    else depth = 1;
    return shade(colour::kBody, streak + static_cast<int>(std::lround(6 - 8 * depth)));
}

// The bottom-edge lip, one row of eight.
uint32_t edgeRow(int r, uint32_t body) {
    switch (r) {
    case 3: return colour::kGroove;
    case 4: return kEdgeChamfer;
    case 5: return shade(body, -6);
    case 6: return kEdgeShadow;
    case 7: return kEdgeBottom;
    default: return body;
    }
}

void drawBody(Raster& face) {
    for (int y = 0; y < kFaceHeight; ++y) {
        uint32_t c = brushedRow(y);
        if (y >= kFoldRow && y < kFoldRow + kEdgeRows) c = edgeRow(y - kFoldRow, c);
        if (y >= kEdgeRow) c = edgeRow(y - kEdgeRow, c);
        if (y == 0) c = colour::kBorderLight;
        if (y == 1) c = colour::kBorderMid;
        if (y == kDrawerTop) c = kDrawerHighlight;
        for (int x = 0; x < kFaceWidth; ++x) face.set(x, y, c);
    }
    for (int y = 0; y < kFaceHeight; ++y) {
        face.set(0, y, colour::kBorderLight);
        face.set(1, y, colour::kBorderMid);
        face.set(kFaceWidth - 2, y, colour::kBorderDark);
        face.set(kFaceWidth - 1, y, colour::kBorderDark);
    }
    // end cap seam: two identical columns, clear of the fold
    for (int y = 4; y <= 69; ++y) {
        face.set(kCapLeft, y, colour::kGroove);
        face.set(kCapLeft + 1, y, colour::kGroove);
    }
}

void drawGlassWindow(cairo_t* cr) {
    const Rect g = kGlass;
    fillRect(cr, g.x - 1, g.y - 1, g.w + 2, g.h + 2, kBezelShadow);
    fillRect(cr, g.x + 1, g.y + g.h, g.w, 1, kBezelLowerLip);
    fillRect(cr, g.x + g.w, g.y + 1, 1, g.h, kBezelRightLip);
    fillRect(cr, g.x, g.y, g.w, g.h, colour::kGlassRim);
    fillGlass(cr, g.x + 1, g.y + 1, g.w - 2, g.h - 2);
    // a faint reflection along the top of the glass, above every cell
    fillRect(cr, g.x + 2, g.y + 1, g.w - 4, 1, kGlassSheen);
    fillRect(cr, g.x + 2, g.y + 2, g.w - 4, 1, kGlassSheenFaint);
    drawText(cr, FontSize::Tiny3x5, "CH", kPresetCellX + 3, kPresetCellY - 7, kGlassLegend);
    drawText(cr, FontSize::Tiny3x5, "MHz", kReadoutX + 79 - 11, kReadoutY - 6, kGlassLegend);
}

void drawBracketCaption(cairo_t* cr, const std::string& text, int left, int right, int y) {
    const int w = textWidth(FontSize::Small5x7, text);
    const int tx = (left + right + 1 - w) / 2;
    drawPrintedText(cr, FontSize::Small5x7, text, tx, y);
    const int line = y + 3;
    for (int pass = 0; pass < 2; ++pass) {
        const uint32_t c = pass == 0 ? colour::kPrintShadow : kBracketInk;
        const int dy = pass == 0 ? 1 : 0;
        fillRect(cr, left + 2, line + dy, tx - 4 - (left + 2), 1, c);
        fillRect(cr, tx + w + 3, line + dy, right - 2 - (tx + w + 3) + 1, 1, c);
        fillRect(cr, left + 2, line - 3 + dy, 1, 3, c);
        fillRect(cr, right - 2, line - 3 + dy, 1, 3, c);
    }
}

// A countersunk cross-head screw, centred on (cx, cy).
void drawScrew(cairo_t* cr, double cx, double cy) {
    constexpr double kRadius = 2.6;
    setColour(cr, kScrewRecess);
    cairo_arc(cr, cx, cy, kRadius + 0.7, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_t* head = cairo_pattern_create_linear(cx - kRadius, cy - kRadius, cx + kRadius, cy + kRadius);
    cairo_pattern_add_color_stop_rgb(head, 0, 0.55, 0.57, 0.60);
    cairo_pattern_add_color_stop_rgb(head, 1, 0.22, 0.23, 0.25);
    cairo_arc(cr, cx, cy, kRadius, 0, 2 * kPi);
    cairo_set_source(cr, head);
    cairo_fill(cr);
    cairo_pattern_destroy(head);
    setColour(cr, kScrewSlot);
    cairo_set_line_width(cr, 0.9);
    cairo_move_to(cr, cx - 1.6, cy - 1.6);
    cairo_line_to(cr, cx + 1.6, cy + 1.6);
    cairo_move_to(cr, cx + 1.6, cy - 1.6);
    cairo_line_to(cr, cx - 1.6, cy + 1.6);
    cairo_stroke(cr);
}

void drawCaptionUnder(cairo_t* cr, const std::string& text, Rect button) {
    const int w = textWidth(FontSize::Small5x7, text);
    drawPrintedText(cr, FontSize::Small5x7, text, button.x + (button.w - w) / 2, kCaptionRow);
}

void drawNameplate(cairo_t* cr) {
    const Rect n = kNameplate;
    fillRect(cr, n.x, n.y, n.w, n.h, kNameplateRim);
    fillRect(cr, n.x, n.y + n.h - 1, n.w, 1, kNameplateLowerLip);
    fillRect(cr, n.x + n.w - 1, n.y, 1, n.h, kNameplateRightLip);
    fillRect(cr, n.x + 1, n.y + 1, n.w - 2, n.h - 2, kNameplateField);
    const std::string brand = "ORVANTA";
    constexpr int kLetterGap = 2;
    const int bw = textWidth(FontSize::Small5x7, brand, kLetterGap);
    const int fw = textWidth(FontSize::Small5x7, "FM");
    const int x0 = n.x + (n.w - (bw + 5 + fw)) / 2;
    drawText(cr, FontSize::Small5x7, brand, x0, n.y + 3, kBrandInk, kLetterGap);
    drawText(cr, FontSize::Small5x7, "FM", x0 + bw + 5, n.y + 3, colour::kAmber);
}

// ---------------------------------------------------------------- face
struct FaceState {
    bool slumberLampLit = true;
    bool alarmLampLit = true;
    bool muteLampLit = false;
    bool signalLampLit = false;
    KeyLook slumberOn = KeyLook::Released;
    KeyLook slumberOff = KeyLook::Released;
    KeyLook alarm = KeyLook::Released;
    RockerLook fine = RockerLook::Released;
    RockerLook coarse = RockerLook::Released;
    PlateLook plate = PlateLook::Store;
    KeyLook presetKey1 = KeyLook::Released;
    bool presetKey1Labelled = true;
    bool helpPressed = false;
    bool powerPressed = false;
    bool decadePressed = false;
    bool decadeShown = true;
    bool topHandlePressed = false;
    bool leftHandlePressed = false;
};

void drawReadoutsAtRest(cairo_t* cr) {
    drawNarrowCell(cr, kReadoutX, kReadoutY, false);
    const int cells[] = {81, 95, 113, 127, 141};
    for (int x : cells) drawBigCell(cr, x, kReadoutY, BigGlyph::Off);
    drawMarkCell(cr, 109, kReadoutY, MarkGlyph::Point);
    drawSmallDigit(cr, kPresetCellX, kPresetCellY, -1);
    drawSmallDigit(cr, kPresetCellX + kSmallCellW, kPresetCellY, -1);
    drawClockColon(cr, kClockColon.x, kClockColon.y);
}

Raster renderFace(const FaceState& s) {
    Raster face(kFaceWidth, kFaceHeight);
    drawBody(face);
    Canvas canvas(face);
    cairo_t* cr = canvas.cr();

    drawGlassWindow(cr);
    drawReadoutsAtRest(cr);
    drawSignalLamp(cr, kSignalLamp.x, kSignalLamp.y, s.signalLampLit);
    drawMuteLamp(cr, kMuteLamp.x, kMuteLamp.y, s.muteLampLit);
    drawSlumberLamp(cr, kSlumberLamp.x, kSlumberLamp.y, s.slumberLampLit);
    drawAlarmLamp(cr, kAlarmLamp.x, kAlarmLamp.y, s.alarmLampLit);

    drawTopHandle(cr, kTopHandle.x, kTopHandle.y, s.topHandlePressed);
    drawLeftHandle(cr, kLeftHandle.x, kLeftHandle.y, s.leftHandlePressed);
    drawNameplate(cr);
    drawHelpKey(cr, kHelpKey.x, kHelpKey.y, s.helpPressed);
    drawPlate(cr, kPlate.x, kPlate.y, s.plate);

    for (int k = 1; k <= 10; ++k) {
        const PresetKeyPlace p = kPresetKeys[k - 1];
        const bool first = k == 1;
        drawPresetKey(cr, p.x, p.y, first ? s.presetKey1 : KeyLook::Released,
                      (first && !s.presetKey1Labelled) ? 0 : k);
    }
    drawBracketCaption(cr, "PRESET", kPresetKeys[0].x, kPresetKeys[4].x + kKeyW - 1, 8);
    drawPowerKey(cr, kPower.x, kPower.y, s.powerPressed);
    if (s.decadeShown) drawDecadeKey(cr, kDecade.x, kDecade.y, s.decadePressed);

    drawFrontButton(cr, kSlumberOnButton.x, kSlumberOnButton.y, s.slumberOn);
    drawFrontButton(cr, kSlumberOffButton.x, kSlumberOffButton.y, s.slumberOff);
    drawFrontButton(cr, kAlarmButton.x, kAlarmButton.y, s.alarm);
    drawFrontButton(cr, kMuteButton.x, kMuteButton.y, KeyLook::Released);
    drawRocker(cr, kVolumeRocker.x, kVolumeRocker.y, RockerMarks::MinusPlus, RockerLook::Released);
    drawRocker(cr, kCoarseRocker.x, kCoarseRocker.y, RockerMarks::Chevrons, s.coarse);
    drawRocker(cr, kFineRocker.x, kFineRocker.y, RockerMarks::MinusPlus, s.fine);
    drawRocker(cr, kSeekRocker.x, kSeekRocker.y, RockerMarks::Chevrons, RockerLook::Released);

    for (double y : {94.0, 114.0}) {
        drawScrew(cr, 6.5, y);
        drawScrew(cr, 359.5, y);
    }
    drawCaptionUnder(cr, "ON", kSlumberOnButton);
    drawCaptionUnder(cr, "OFF", kSlumberOffButton);
    drawCaptionUnder(cr, "ALARM", kAlarmButton);
    drawCaptionUnder(cr, "VOL", kVolumeRocker);
    drawCaptionUnder(cr, "MUTE", kMuteButton);
    drawCaptionUnder(cr, "COARSE", kCoarseRocker);
    drawCaptionUnder(cr, "FINE", kFineRocker);
    drawCaptionUnder(cr, "SEEK", kSeekRocker);
    drawBracketCaption(cr, "SLEEP", kSlumberOnButton.x, kSlumberOffButton.x + 34, kGroupCaptionRow);
    drawBracketCaption(cr, "TUNING", kCoarseRocker.x, kFineRocker.x + 46, kGroupCaptionRow);
    return face;
}

// Controls that share one look must be identical on the face too.
void unifySharedLooks(Raster& face) {
    auto same = [&](Rect master, Rect copy) {
        copyWithin(face, {master.x, master.y, master.w, master.h}, copy.x, copy.y);
    };
    same(kAlarmButton, kMuteButton);
    same(kFineRocker, kVolumeRocker);
    same(kCoarseRocker, kSeekRocker);
}

// ---------------------------------------------------------------- atlas
struct AtlasLook {
    const char* name;
    Rect place;  // rectangle of the face variant to take
    int atlasX, atlasY;
    FaceState state;
};

FaceState with(void (*change)(FaceState&)) {
    FaceState s;
    change(s);
    return s;
}

std::vector<AtlasLook> looksFromFaceVariants() {
    return {
        {"SONp", kSlumberOnButton, 272, 136, with([](FaceState& s) { s.slumberOn = KeyLook::Pressed; })},
        {"SONl", kSlumberOnButton, 236, 159, with([](FaceState& s) { s.slumberOn = KeyLook::Lit; })},
        {"SOFp", kSlumberOffButton, 272, 186, with([](FaceState& s) { s.slumberOff = KeyLook::Pressed; })},
        {"AMp", kAlarmButton, 348, 135, with([](FaceState& s) { s.alarm = KeyLook::Pressed; })},
        {"AMl", kAlarmButton, 312, 158, with([](FaceState& s) { s.alarm = KeyLook::Lit; })},
        {"RA>", kFineRocker, 3, 162, with([](FaceState& s) { s.fine = RockerLook::UpPressed; })},
        {"RA<", kFineRocker, 3, 187, with([](FaceState& s) { s.fine = RockerLook::DownPressed; })},
        {"RB>", kCoarseRocker, 51, 162, with([](FaceState& s) { s.coarse = RockerLook::UpPressed; })},
        {"RB<", kCoarseRocker, 51, 187, with([](FaceState& s) { s.coarse = RockerLook::DownPressed; })},
        {"STp", kPlate, 156, 136, with([](FaceState& s) { s.plate = PlateLook::StorePressed; })},
        {"STa", kPlate, 105, 155, with([](FaceState& s) { s.plate = PlateLook::StoreArmed; })},
        {"VR", kPlate, 103, 223, with([](FaceState& s) { s.plate = PlateLook::Rocker; })},
        {"VR<", kPlate, 151, 240, with([](FaceState& s) { s.plate = PlateLook::RockerDown; })},
        {"VR>", kPlate, 151, 223, with([](FaceState& s) { s.plate = PlateLook::RockerUp; })},
        {"FLA", {125, 52, 47, 16}, 156, 156, with([](FaceState& s) { s.plate = PlateLook::Flash; })},
        {"KPR", {187, 18, kKeyW, kKeyH}, 132, 176, with([](FaceState& s) {
             s.presetKey1 = KeyLook::Pressed;
             s.presetKey1Labelled = false;
         })},
        {"KLIT", {187, 18, kKeyW, kKeyH}, 104, 199, with([](FaceState& s) {
             s.presetKey1 = KeyLook::Lit;
             s.presetKey1Labelled = false;
         })},
        {"HLPp", kHelpKey, 374, 87, with([](FaceState& s) { s.helpPressed = true; })},
        {"DECp", kDecade, 399, 230, with([](FaceState& s) { s.decadePressed = true; })},
        {"PWRp", kPower, 399, 176, with([](FaceState& s) { s.powerPressed = true; })},
        {"DECb", kDecade, 26, 256, with([](FaceState& s) { s.decadeShown = false; })},
        {"THp", kTopHandle, 67, 263, with([](FaceState& s) { s.topHandlePressed = true; })},
        {"LHp", kLeftHandle, 81, 270, with([](FaceState& s) { s.leftHandlePressed = true; })},
        {"SIG+", kSignalLamp, 360, 220, with([](FaceState& s) { s.signalLampLit = true; })},
        {"SIG-", kSignalLamp, 360, 230, with([](FaceState& s) { s.signalLampLit = false; })},
        {"MUL+", kMuteLamp, 2, 252, with([](FaceState& s) { s.muteLampLit = true; })},
        // the slumber lamp's off look with one row of surround above and below
        {"SLL-", {20, 23, 6, 8}, 215, 140, with([](FaceState& s) { s.slumberLampLit = false; })},
        {"ALL-", kAlarmLamp, 214, 152, with([](FaceState& s) { s.alarmLampLit = false; })},
    };
}

void drawGlyphStrips(Raster& skin) {
    Canvas canvas(skin);
    cairo_t* cr = canvas.cr();
    for (int d = 0; d < 10; ++d) drawBigCell(cr, 265 + kBigCellW * d, 299, bigDigit(d));
    drawNarrowCell(cr, 409, 299, false);
    drawNarrowCell(cr, 414, 299, true);
    drawMarkCell(cr, 419, 299, MarkGlyph::Colon);
    drawMarkCell(cr, 423, 299, MarkGlyph::Separator);
    drawBigCell(cr, 388, 263, BigGlyph::Off);
    drawBigCell(cr, 402, 263, BigGlyph::LetterA);
    drawBigCell(cr, 416, 263, BigGlyph::LetterP);

    // blank big readout: the at-rest readout without its point
    drawNarrowCell(cr, 3, 224, false);
    for (int i = 0; i < 5; ++i) {
        const int offsets[] = {5, 19, 37, 51, 65};
        drawBigCell(cr, 3 + offsets[i], 224, BigGlyph::Off);
    }
    drawMarkCell(cr, 3 + 33, 224, MarkGlyph::None);

    for (int d = 0; d < 10; ++d) drawSmallDigit(cr, 269 + kSmallCellW * d, 272, d);
    drawPendingMark(cr, 339, 272);

    // clock digits, with plain glass left of digit zero for the hour-tens blank
    fillGlass(cr, 262, 239, 5, kClockCellH);
    for (int d = 0; d < 10; ++d) drawClockDigit(cr, 267 + kClockCellW * d, 239, d);
    drawClockMark(cr, 350, 245, false);
    drawClockMark(cr, 350, 232, true);

    // key labels on the key-cap colour, the colour the stamp targets carry
    fillRect(cr, 2, 212, 70, 7, colour::kCapFace);
    for (int k = 1; k <= 10; ++k)
        drawBitmap(cr, presetKeyLabel(k), 2 + 7 * (k - 1), 212, colour::kLabel);
}

void copySpares(Raster& skin) {
    // SPROWS: the full panel's rows 74..81
    copyWithin(skin, {0, kFoldRow, kFaceWidth, 8}, 0, 325);
    // SPCOLS: the compact panel's columns 177..216 (its bottom edge in rows 74..81)
    copyWithin(skin, {177, 0, 40, kFoldRow}, 369, 0);
    copyWithin(skin, {177, kEdgeRow, 40, kEdgeRows}, 369, kFoldRow);
    // STr, DECs, released handles
    copyWithin(skin, {125, 52, 47, 16}, 105, 136);
    copyWithin(skin, kDecade, 399, 205);
    copyWithin(skin, kTopHandle, 67, 256);
    copyWithin(skin, kLeftHandle, 74, 270);
    // columns 367..368 and row 132 are read by clipped strips: repeat the edge
    for (int y = 0; y < kFaceHeight; ++y) {
        skin.set(367, y, skin.at(366, y));
        skin.set(368, y, skin.at(366, y));
    }
    for (int x = 0; x < kFaceWidth; ++x) skin.set(x, kFaceHeight, skin.at(x, kFaceHeight - 1));
}

// Every 48 x 17 look of the plate place keeps the face's right column and
// bottom row, which the 47 x 16 patches never cover.
void copyPlateFrame(Raster& skin) {
    const int looks[][2] = {{156, 136}, {105, 155}, {103, 223}, {151, 240}, {151, 223}};
    for (const auto& at : looks) {
        copyWithin(skin, {kPlate.x + 47, kPlate.y, 1, 17}, at[0] + 47, at[1]);
        copyWithin(skin, {kPlate.x, kPlate.y + 16, 48, 1}, at[0], at[1] + 16);
    }
}

}  // namespace

std::vector<uint32_t> drawSkinRgb() {
    Raster skin(kSkinWidth, kSkinHeight, colour::kFree);
    Raster face = renderFace(FaceState{});
    unifySharedLooks(face);
    copyRect(face, {0, 0, kFaceWidth, kFaceHeight}, skin, 0, 0);

    for (const AtlasLook& look : looksFromFaceVariants()) {
        Raster variant = renderFace(look.state);
        unifySharedLooks(variant);
        copyRect(variant, look.place, skin, look.atlasX, look.atlasY);
    }
    drawGlyphStrips(skin);
    copyPlateFrame(skin);
    copySpares(skin);
    return skin.pixels;
}

}  // namespace skinart
