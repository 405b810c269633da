// Checks of the skin artwork tool: the atlas inventory, the pixel-exact
// spares and shared looks the panel relies on, the bitmap and icon writers
// and the quantiser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "artwork.h"
#include "dib_writer.h"
#include "icon_writer.h"
#include "quantize.h"

namespace {

using skinart::kSkinHeight;
using skinart::kSkinWidth;

struct Box {
    const char* name;
    int x, y, w, h;
};

// Every fixed rectangle the panel copies from, as the atlas page lists them.
const std::vector<Box> kAtlasRects = {
    {"BD0", 265, 299, 14, 21},
    {"BD1", 279, 299, 14, 21},
    {"BD2", 293, 299, 14, 21},
    {"BD3", 307, 299, 14, 21},
    {"BD4", 321, 299, 14, 21},
    {"BD5", 335, 299, 14, 21},
    {"BD6", 349, 299, 14, 21},
    {"BD7", 363, 299, 14, 21},
    {"BD8", 377, 299, 14, 21},
    {"BD9", 391, 299, 14, 21},
    {"NB", 409, 299, 5, 21},
    {"N1", 414, 299, 5, 21},
    {"COL", 419, 299, 4, 21},
    {"SEP", 423, 299, 4, 21},
    {"WB", 388, 263, 14, 21},
    {"AM", 402, 263, 14, 21},
    {"PM", 416, 263, 14, 21},
    {"BLANK", 3, 224, 79, 21},
    {"SD0", 269, 272, 7, 10},
    {"SD1", 276, 272, 7, 10},
    {"SD2", 283, 272, 7, 10},
    {"SD3", 290, 272, 7, 10},
    {"SD4", 297, 272, 7, 10},
    {"SD5", 304, 272, 7, 10},
    {"SD6", 311, 272, 7, 10},
    {"SD7", 318, 272, 7, 10},
    {"SD8", 325, 272, 7, 10},
    {"SD9", 332, 272, 7, 10},
    {"PEND", 339, 272, 7, 10},
    {"SBLK", 3, 224, 7, 10},
    {"CD0", 267, 239, 8, 10},
    {"CD1", 275, 239, 8, 10},
    {"CD2", 283, 239, 8, 10},
    {"CD3", 291, 239, 8, 10},
    {"CD4", 299, 239, 8, 10},
    {"CD5", 307, 239, 8, 10},
    {"CD6", 315, 239, 8, 10},
    {"CD7", 323, 239, 8, 10},
    {"CD8", 331, 239, 8, 10},
    {"CD9", 339, 239, 8, 10},
    {"CH1", 276, 239, 8, 10},
    {"CHB", 262, 239, 8, 10},
    {"CAM", 350, 245, 6, 10},
    {"CPM", 350, 232, 6, 10},
    {"LB1", 2, 212, 7, 7},
    {"LB2", 9, 212, 7, 7},
    {"LB3", 16, 212, 7, 7},
    {"LB4", 23, 212, 7, 7},
    {"LB5", 30, 212, 7, 7},
    {"LB6", 37, 212, 7, 7},
    {"LB7", 44, 212, 7, 7},
    {"LB8", 51, 212, 7, 7},
    {"LB9", 58, 212, 7, 7},
    {"LB10", 65, 212, 7, 7},
    {"SIG+", 360, 220, 29, 10},
    {"SIG-", 360, 230, 29, 10},
    {"MUL+", 2, 252, 11, 9},
    {"SLL-", 215, 141, 6, 7},
    {"SLL-x", 215, 140, 6, 7},
    {"ALL-", 214, 152, 8, 8},
    {"PLAMP", 104, 199, 10, 10},
    {"RA>", 3, 162, 47, 22},
    {"RA<", 3, 187, 47, 22},
    {"RB>", 51, 162, 47, 22},
    {"RB<", 51, 187, 47, 22},
    {"SONp", 272, 136, 35, 22},
    {"SONl", 236, 159, 35, 22},
    {"SOFp", 272, 186, 35, 22},
    {"AMp", 348, 135, 35, 22},
    {"AMl", 312, 158, 35, 22},
    {"STp", 156, 136, 48, 17},
    {"STa", 105, 155, 48, 17},
    {"STr", 105, 136, 47, 16},
    {"VR", 103, 223, 48, 17},
    {"VR16", 103, 223, 47, 16},
    {"VR<", 151, 240, 48, 17},
    {"VR>", 151, 223, 48, 17},
    {"FLA", 156, 156, 47, 16},
    {"FLD", 3, 187, 47, 16},
    {"KPR", 132, 176, 27, 22},
    {"KLIT", 104, 199, 27, 22},
    {"HLPp", 374, 87, 21, 17},
    {"DECp", 399, 230, 21, 22},
    {"PWRp", 399, 176, 21, 22},
    {"DECs", 399, 205, 21, 22},
    {"DECb", 26, 256, 21, 22},
    {"THr", 67, 256, 20, 6},
    {"THp", 67, 263, 20, 6},
    {"LHr", 74, 270, 6, 20},
    {"LHp", 81, 270, 6, 20},
    {"SPROWS", 0, 325, 367, 8},
    {"SPCOLS", 369, 0, 40, 82},
    {"W367", 367, 0, 1, 132},
    {"ROW132", 0, 132, 367, 1},
    {"C367", 367, 0, 7, 82},
    {"FACE", 0, 0, 367, 132},
    {"PT", 109, 23, 4, 21},
    {"CCOL", 44, 34, 2, 10},
    {"SLL+", 20, 24, 6, 7},
    {"ALL+", 19, 35, 8, 8},
    {"MUL-", 29, 22, 11, 9},
    {"MUTE", 170, 83, 35, 22},
    {"SON", 12, 83, 35, 22},
    {"SOF", 48, 83, 35, 22},
    {"ALM", 84, 83, 35, 22},
    {"VOL", 122, 83, 47, 22},
    {"CRS", 208, 83, 47, 22},
    {"FIN", 257, 83, 47, 22},
    {"SEEK", 306, 83, 47, 22},
    {"SS1", 71, 83, 27, 24},
    {"SS2", 99, 83, 27, 24},
    {"SS3", 85, 109, 26, 10},
    {"PLATE", 125, 52, 48, 17},
    {"K1", 187, 18, 27, 22},
    {"K2", 215, 18, 27, 22},
    {"K3", 243, 18, 27, 22},
    {"K4", 271, 18, 27, 22},
    {"K5", 299, 18, 27, 22},
    {"K6", 187, 44, 27, 22},
    {"K7", 215, 44, 27, 22},
    {"K8", 243, 44, 27, 22},
    {"K9", 271, 44, 27, 22},
    {"K10", 299, 44, 27, 22},
    {"HELP", 100, 52, 21, 17},
    {"DEC", 331, 44, 21, 22},
    {"PWR", 331, 18, 21, 22},
    {"EDGE", 0, 124, 367, 8},
    {"EDGE9", 0, 124, 367, 9},
    {"CAP", 327, 0, 40, 82},
};

// Looks that may legitimately be one flat colour.
const std::set<std::string> kMayBeFlat = {"NB", "SBLK", "WB", "BLANK", "W367", "ROW132", "C367"};
// Glyphs that must carry lit ink.
const std::set<std::string> kLitGlyphs = {
    "BD0", "BD1", "BD2", "BD3", "BD4", "BD5", "BD6", "BD7", "BD8", "BD9", "N1", "COL", "SEP",
    "AM",  "PM",  "SD0", "SD1", "SD2", "SD3", "SD4", "SD5", "SD6", "SD7", "SD8", "SD9", "PEND",
    "CD0", "CD1", "CD2", "CD3", "CD4", "CD5", "CD6", "CD7", "CD8", "CD9", "CAM", "CPM", "PT",
    "CCOL"};

class Skin {
public:
    Skin() : px_(skinart::drawSkinRgb()) {}

    uint32_t at(int x, int y) const { return px_[static_cast<size_t>(y) * kSkinWidth + x]; }
    const std::vector<uint32_t>& pixels() const { return px_; }

    static Box rect(const std::string& name) {
        for (const Box& b : kAtlasRects)
            if (name == b.name) return b;
        ADD_FAILURE() << "no rectangle " << name;
        return {"", 0, 0, 1, 1};
    }

    // Compares a w x h block at (ax, ay) with one at (bx, by).
    bool same(int ax, int ay, int bx, int by, int w, int h) const {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (at(ax + x, ay + y) != at(bx + x, by + y)) return false;
        return true;
    }
    bool same(const std::string& a, const std::string& b) const {
        const Box ra = rect(a), rb = rect(b);
        EXPECT_EQ(ra.w, rb.w) << a << " / " << b;
        EXPECT_EQ(ra.h, rb.h) << a << " / " << b;
        return same(ra.x, ra.y, rb.x, rb.y, ra.w, ra.h);
    }

    std::set<uint32_t> colours(int x0, int y0, int w, int h) const {
        std::set<uint32_t> out;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) out.insert(at(x, y));
        return out;
    }
    std::set<uint32_t> colours(const std::string& name) const {
        const Box r = rect(name);
        return colours(r.x, r.y, r.w, r.h);
    }

    // Brightest pixel of a block, as the sum of its channels.
    int peak(int x0, int y0, int w, int h) const {
        int best = 0;
        for (uint32_t c : colours(x0, y0, w, h))
            best = std::max(best, int((c >> 16) & 0xFF) + int((c >> 8) & 0xFF) + int(c & 0xFF));
        return best;
    }
    int peak(const std::string& name) const {
        const Box r = rect(name);
        return peak(r.x, r.y, r.w, r.h);
    }

private:
    std::vector<uint32_t> px_;
};

const Skin& skin() {
    static const Skin s;
    return s;
}

// ------------------------------------------------------------ inventory

TEST(SkinArtAtlas, InventoryHasEveryRectangleOnceAndInsideTheImage) {
    EXPECT_EQ(kAtlasRects.size(), 129u);
    std::set<std::string> names;
    for (const Box& b : kAtlasRects) {
        EXPECT_TRUE(names.insert(b.name).second) << "duplicate " << b.name;
        EXPECT_GE(b.x, 0) << b.name;
        EXPECT_GE(b.y, 0) << b.name;
        EXPECT_LE(b.x + b.w, kSkinWidth) << b.name;
        EXPECT_LE(b.y + b.h, kSkinHeight) << b.name;
    }
    EXPECT_EQ(skin().pixels().size(), size_t(kSkinWidth) * kSkinHeight);
}

TEST(SkinArtAtlas, EveryLookIsDrawn) {
    for (const Box& b : kAtlasRects) {
        if (kMayBeFlat.count(b.name)) continue;
        EXPECT_GT(skin().colours(b.name).size(), 1u) << b.name << " is one flat colour";
    }
}

TEST(SkinArtAtlas, GlyphsCarryLitInkAndBlanksDoNot) {
    const int glassPeak = skin().peak("SBLK");
    for (const std::string& name : kLitGlyphs)
        EXPECT_GT(skin().peak(name), 450) << name << " has no lit ink";
    EXPECT_LT(glassPeak, 100);
    EXPECT_EQ(skin().colours("NB").size(), 1u);
    EXPECT_LT(skin().peak("WB"), 300) << "wide blank shows a lit segment";
    EXPECT_LT(skin().peak("BLANK"), 300) << "blank readout shows a lit segment";
}

TEST(SkinArtAtlas, GlyphsOfAStripAreAllDifferent) {
    for (const char* prefix : {"BD", "SD", "CD"}) {
        for (int a = 0; a < 10; ++a)
            for (int b = a + 1; b < 10; ++b)
                EXPECT_FALSE(skin().same(prefix + std::to_string(a), prefix + std::to_string(b)))
                    << prefix << a << " looks like " << prefix << b;
    }
    for (int a = 1; a <= 10; ++a)
        for (int b = a + 1; b <= 10; ++b)
            EXPECT_FALSE(skin().same("LB" + std::to_string(a), "LB" + std::to_string(b)));
    EXPECT_FALSE(skin().same("AM", "PM"));
    EXPECT_FALSE(skin().same("CAM", "CPM"));
    EXPECT_FALSE(skin().same("NB", "N1"));
    EXPECT_FALSE(skin().same("COL", "SEP"));
    EXPECT_FALSE(skin().same("COL", "PT"));
    EXPECT_FALSE(skin().same("SEP", "PT"));
    EXPECT_FALSE(skin().same("WB", "BD8")) << "the blank must not read as an eight";
    EXPECT_FALSE(skin().same("SD0", "PEND"));
}

// ------------------------------------------------------------ lamps and looks

TEST(SkinArtLooks, LitLampsAreBrighterThanTheirOffLooks) {
    const Skin& s = skin();
    const int margin = 150;
    EXPECT_GT(s.peak("SIG+"), s.peak("SIG-") + margin);
    EXPECT_GT(s.peak("MUL+"), s.peak("MUL-") + margin);
    EXPECT_GT(s.peak("SLL+"), s.peak("SLL-") + margin);
    EXPECT_GT(s.peak("SLL+"), s.peak("SLL-x") + margin);
    EXPECT_GT(s.peak("ALL+"), s.peak("ALL-") + margin);
    EXPECT_GT(s.peak("PLAMP"), s.peak(187, 18, 10, 10) + margin) << "key 1's unlit lamp";
    EXPECT_GT(s.peak("SONl"), s.peak("SON") + margin);
    EXPECT_GT(s.peak("AMl"), s.peak("ALM") + margin);
    // the store lamp sits left of the legend, 2..11 x 2..13 into the plate
    EXPECT_GT(s.peak(105 + 2, 155 + 2, 10, 12), s.peak(125 + 2, 52 + 2, 10, 12) + margin);
}

TEST(SkinArtLooks, PressedAndLitLooksDifferFromReleasedOnes) {
    const std::pair<const char*, const char*> pairs[] = {
        {"SONp", "SON"}, {"SONl", "SON"}, {"SONl", "SONp"}, {"SOFp", "SOF"}, {"AMp", "ALM"},
        {"AMl", "ALM"},  {"AMl", "AMp"},  {"RA>", "FIN"},   {"RA<", "FIN"}, {"RA>", "RA<"},
        {"RB>", "CRS"},  {"RB<", "CRS"},  {"RB>", "RB<"},   {"RA>", "RB>"}, {"STp", "PLATE"},
        {"STa", "PLATE"}, {"STa", "STp"}, {"VR", "PLATE"},  {"VR<", "VR"},  {"VR>", "VR"},
        {"VR<", "VR>"},  {"FLA", "VR16"}, {"KPR", "KLIT"},  {"KPR", "K1"},  {"HLPp", "HELP"},
        {"DECp", "DEC"}, {"PWRp", "PWR"}, {"DECb", "DEC"},  {"THp", "THr"}, {"LHp", "LHr"},
        {"SIG+", "SIG-"}};
    for (const auto& p : pairs) EXPECT_FALSE(skin().same(p.first, p.second)) << p.first << " = " << p.second;
}

TEST(SkinArtLooks, ControlsSharingALookAreIdenticalOnTheFace) {
    EXPECT_TRUE(skin().same("ALM", "MUTE"));
    EXPECT_TRUE(skin().same("FIN", "VOL"));
    EXPECT_TRUE(skin().same("CRS", "SEEK"));
}

TEST(SkinArtLooks, LabelStripBackgroundIsTheStampAreaColour) {
    const Skin& s = skin();
    const uint32_t background = s.at(2, 212);  // corner of label 1
    // the stamp targets and a one-pixel ring around them
    for (int y = 186; y <= 194; ++y)
        for (int x = 148; x <= 156; ++x) EXPECT_EQ(s.at(x, y), background) << "KPR at " << x << "," << y;
    for (int y = 208; y <= 216; ++y)
        for (int x = 119; x <= 127; ++x) EXPECT_EQ(s.at(x, y), background) << "KLIT at " << x << "," << y;
}

TEST(SkinArtLooks, LitKeyLooksTheSameAfterSelectionAndAfterRepaint) {
    // Selection stamps label k into KLIT; a repaint shows the face key with
    // PLAMP in its corner. Both must give the same picture.
    const Skin& s = skin();
    const Box lit = Skin::rect("KLIT");
    const Box lamp = Skin::rect("PLAMP");
    for (int k = 1; k <= 10; ++k) {
        const Box key = Skin::rect("K" + std::to_string(k));
        const Box label = Skin::rect("LB" + std::to_string(k));
        EXPECT_TRUE(s.same(label.x, label.y, key.x + 16, key.y + 10, 7, 7)) << "label of key " << k;
        for (int y = 0; y < key.h; ++y) {
            for (int x = 0; x < key.w; ++x) {
                uint32_t selected = s.at(lit.x + x, lit.y + y);
                if (x >= 16 && x < 23 && y >= 10 && y < 17) selected = s.at(label.x + x - 16, label.y + y - 10);
                uint32_t repainted = s.at(key.x + x, key.y + y);
                if (x < lamp.w && y < lamp.h) repainted = s.at(lamp.x + x, lamp.y + y);
                ASSERT_EQ(selected, repainted) << "key " << k << " at " << x << "," << y;
            }
        }
    }
}

TEST(SkinArtLooks, PlateLooksShareTheFacePlateFrame) {
    const Skin& s = skin();
    const Box plate = Skin::rect("PLATE");
    for (const char* name : {"STp", "STa", "VR", "VR<", "VR>"}) {
        const Box r = Skin::rect(name);
        EXPECT_TRUE(s.same(r.x + 47, r.y, plate.x + 47, plate.y, 1, 17)) << name << " right column";
        EXPECT_TRUE(s.same(r.x, r.y + 16, plate.x, plate.y + 16, 48, 1)) << name << " bottom row";
    }
}

TEST(SkinArtLooks, PowerKeyHasBackgroundMargins) {
    const Skin& s = skin();
    for (int y = 18; y <= 39; ++y) {
        EXPECT_EQ(s.at(331, y), s.at(330, y)) << "left margin, row " << y;
        EXPECT_EQ(s.at(351, y), s.at(352, y)) << "right margin, row " << y;
        EXPECT_EQ(s.at(399, y - 18 + 176), s.at(331, y)) << "pressed look, left margin";
        EXPECT_EQ(s.at(419, y - 18 + 176), s.at(351, y)) << "pressed look, right margin";
    }
}

// ------------------------------------------------------------ readout windows

TEST(SkinArtReadout, ClockWindowsThatReadAcrossGlyphsStayClean) {
    const Skin& s = skin();
    const uint32_t glass = s.at(3, 224);
    EXPECT_EQ(s.colours("SBLK"), std::set<uint32_t>{glass});
    // hour-tens blank: columns 262..267 (left of the strip and column 0 of digit zero)
    EXPECT_EQ(s.colours(262, 239, 6, 10), std::set<uint32_t>{glass});
    // every clock digit keeps column 0 plain; digit one has its strokes in
    // columns 1..6, the part the hour-tens one window shows
    for (int d = 0; d < 10; ++d) EXPECT_EQ(s.colours(267 + 8 * d, 239, 1, 10), std::set<uint32_t>{glass}) << d;
    EXPECT_LT(s.peak(282, 239, 1, 10), 450) << "a stroke of digit one in its column 7";
    EXPECT_GT(s.peak(276, 239, 6, 10), 450);
    // gaps between the clock cells on the face
    for (int x : {42, 43, 46, 47, 64, 65}) EXPECT_EQ(s.colours(x, 34, 1, 10), std::set<uint32_t>{glass}) << x;
}

TEST(SkinArtReadout, SlumberOffLampReadsTheSameThroughBothWindows) {
    const Skin& s = skin();
    // rows 140 and 147 are the lamp's surround, as is the face row under SLL+
    EXPECT_TRUE(s.same(215, 140, 20, 30, 6, 1));
    EXPECT_TRUE(s.same(215, 147, 20, 30, 6, 1));
    EXPECT_EQ(s.colours(215, 140, 6, 1).size(), 1u);
    EXPECT_EQ(s.colours(20, 30, 6, 1), s.colours(20, 23, 6, 1)) << "SLL+ surround differs from the glass";
}

TEST(SkinArtReadout, BlankReadoutMatchesTheFaceAtRestExceptThePoint) {
    const Skin& s = skin();
    EXPECT_TRUE(s.same(3, 224, 76, 23, 33, 21));
    EXPECT_TRUE(s.same(3 + 37, 224, 113, 23, 42, 21));
    EXPECT_FALSE(s.same(3 + 33, 224, 109, 23, 4, 21)) << "blank still shows the point";
}

// ------------------------------------------------------------ spares and folds

TEST(SkinArtSpares, SpareCopiesArePixelExact) {
    const Skin& s = skin();
    EXPECT_TRUE(s.same(0, 325, 0, 74, 367, 8)) << "SPROWS";
    EXPECT_TRUE(s.same(369, 0, 177, 0, 40, 74)) << "SPCOLS rows 0..73";
    EXPECT_TRUE(s.same(369, 74, 177, 124, 40, 8)) << "SPCOLS rows 74..81: the compact bottom edge";
    EXPECT_TRUE(s.same(105, 136, 125, 52, 47, 16)) << "STr";
    EXPECT_TRUE(s.same(399, 205, 331, 44, 21, 22)) << "DECs";
    EXPECT_TRUE(s.same(67, 256, 155, 4, 20, 6)) << "THr on the face";
    EXPECT_TRUE(s.same(74, 270, 3, 53, 6, 20)) << "LHr on the face";
    EXPECT_TRUE(s.same(367, 0, 366, 0, 1, 82));
    EXPECT_TRUE(s.same(368, 0, 366, 0, 1, 82));
}

TEST(SkinArtFace, FoldsJoinSeamlessly) {
    const Skin& s = skin();
    EXPECT_TRUE(s.same(0, 73, 0, 123, 367, 1)) << "row 73 must look like row 123";
    for (int y = 0; y <= 81; ++y) {
        const uint32_t plain = s.at(175, y);
        for (int x = 176; x <= 186; ++x) ASSERT_EQ(s.at(x, y), plain) << x << "," << y;
        ASSERT_EQ(s.at(326, y), plain) << "column 326, row " << y;
        ASSERT_EQ(s.at(327, y), s.at(328, y)) << "end cap left border, row " << y;
        ASSERT_EQ(s.at(365, y), s.at(366, y)) << "end cap right border, row " << y;
        for (int x = 352; x <= 364; ++x) ASSERT_EQ(s.at(x, y), s.at(352, y)) << x << "," << y;
    }
}

// ------------------------------------------------------------ bitmap files

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

struct ParsedDib {
    uint32_t fileSize, pixelOffset, headerSize, width, height, planes, bpp, compression,
        imageSize, coloursUsed;
};

ParsedDib parseDib(const std::vector<uint8_t>& f) {
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    return {le32(f, 2),  le32(f, 10), le32(f, 14), le32(f, 18), le32(f, 22),
            le16(f, 26), le16(f, 28), le32(f, 30), le32(f, 34), le32(f, 46)};
}

// Palette index of pixel (x, y) (top row 0) of an indexed file.
int indexAt(const std::vector<uint8_t>& f, int x, int y) {
    const ParsedDib h = parseDib(f);
    const int stride = (int(h.width) * int(h.bpp) + 31) / 32 * 4;
    const size_t row = h.pixelOffset + size_t(h.height - 1 - y) * stride;
    const int perByte = 8 / int(h.bpp);
    const uint8_t byte = f[row + x / perByte];
    const int shift = 8 - int(h.bpp) * (x % perByte + 1);
    return (byte >> shift) & ((1 << h.bpp) - 1);
}

uint32_t tableColour(const std::vector<uint8_t>& f, int index) {
    const size_t at = 54 + 4 * size_t(index);
    return (uint32_t(f[at + 2]) << 16) | (uint32_t(f[at + 1]) << 8) | f[at];
}

TEST(SkinArtDibWriter, EightBitSkinFileHasTheLoaderLayout) {
    const std::vector<uint32_t>& rgb = skin().pixels();
    const auto palette = skinart::buildPalette(rgb, 256);
    ASSERT_LE(palette.size(), 256u);
    const auto indices = skinart::mapToPalette(rgb, palette);
    const auto file = skinart::encodeIndexedDib(kSkinWidth, kSkinHeight, 8, palette, indices);

    const ParsedDib h = parseDib(file);
    EXPECT_EQ(h.headerSize, 40u);
    EXPECT_EQ(h.width, 430u);
    EXPECT_EQ(h.height, 344u);
    EXPECT_EQ(h.planes, 1u);
    EXPECT_EQ(h.bpp, 8u);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.coloursUsed, 256u);
    EXPECT_EQ(h.imageSize, 148608u);
    EXPECT_EQ(h.pixelOffset, 54u + 1024u);
    EXPECT_EQ(h.fileSize, file.size());
    EXPECT_EQ(file.size(), 54u + 1024u + 148608u);

    // every pixel reads back as its palette colour, first file row = bottom row
    for (int y = 0; y < kSkinHeight; ++y)
        for (int x = 0; x < kSkinWidth; ++x)
            ASSERT_EQ(tableColour(file, indexAt(file, x, y)), palette[indices[size_t(y) * kSkinWidth + x]])
                << x << "," << y;
    EXPECT_EQ(file[h.pixelOffset], indices[size_t(343) * kSkinWidth]);
}

TEST(SkinArtDibWriter, PacksLowDepthsHighBitsFirstWithPaddedBottomUpRows) {
    // 5 x 3: rows of 5 pixels pad to 4 bytes at every depth
    const int w = 5, h = 3;
    std::vector<uint8_t> idx;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) idx.push_back(static_cast<uint8_t>((x + 2 * y) % 2));
    const std::vector<uint32_t> palette = {0x000000, 0xFFFFFF};
    const std::map<int, uint32_t> stride = {{1, 4}, {4, 4}, {8, 8}};
    for (int bpp : {1, 4, 8}) {
        const auto f = skinart::encodeIndexedDib(w, h, bpp, palette, idx);
        const ParsedDib d = parseDib(f);
        EXPECT_EQ(d.bpp, uint32_t(bpp));
        EXPECT_EQ(d.coloursUsed, 1u << bpp);
        EXPECT_EQ(d.imageSize, stride.at(bpp) * h) << bpp;
        EXPECT_EQ(d.pixelOffset, 54u + 4u * (1u << bpp));
        EXPECT_EQ(f.size(), d.pixelOffset + d.imageSize);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) EXPECT_EQ(indexAt(f, x, y), idx[y * w + x]) << bpp << ": " << x << "," << y;
    }
    const auto f1 = skinart::encodeIndexedDib(w, h, 1, palette, idx);
    EXPECT_EQ(f1[62], 0x50) << "bottom row 0 1 0 1 0, leftmost pixel in the top bit";
    const auto f4 = skinart::encodeIndexedDib(w, h, 4, palette, idx);
    EXPECT_EQ(f4[54 + 64], 0x01) << "bottom row begins 0 1: high nibble first";
    EXPECT_EQ(skinart::dibRowStride(430, 4) * 344, 74304);
    EXPECT_THROW(skinart::encodeIndexedDib(w, h, 1, {1, 2, 3}, idx), std::invalid_argument);
}

TEST(SkinArtDibWriter, TwentyFourBitFileHasNoColourTable) {
    const int w = 3, h = 2;
    const std::vector<uint32_t> px = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x010203};
    const auto f = skinart::encodeRgbDib(w, h, px);
    const ParsedDib d = parseDib(f);
    EXPECT_EQ(d.bpp, 24u);
    EXPECT_EQ(d.coloursUsed, 0u);
    EXPECT_EQ(d.pixelOffset, 54u);
    EXPECT_EQ(d.imageSize, 12u * h);
    // bottom row first, blue green red, then one padding byte... of three
    const std::vector<uint8_t> bottom(f.begin() + 54, f.begin() + 66);
    EXPECT_EQ(bottom, (std::vector<uint8_t>{0xC0, 0xB0, 0xA0, 0xF0, 0xE0, 0xD0, 0x03, 0x02, 0x01, 0, 0, 0}));
    EXPECT_EQ(f[66], 0x30);
    EXPECT_EQ(skinart::dibRowStride(430, 24) * 344, 444448);
}

// ------------------------------------------------------------ quantiser

TEST(SkinArtQuantize, FewColoursAreKeptExactly) {
    const std::vector<uint32_t> px = {0x123456, 0xFFFFFF, 0x123456, 0x000001};
    const auto palette = skinart::buildPalette(px, 4);
    EXPECT_EQ(palette.size(), 3u);
    const auto idx = skinart::mapToPalette(px, palette);
    for (size_t i = 0; i < px.size(); ++i) EXPECT_EQ(palette[idx[i]], px[i]);
}

TEST(SkinArtQuantize, ManyColoursFitThePaletteAndStayClose) {
    std::vector<uint32_t> px;
    for (int r = 0; r < 64; ++r)
        for (int g = 0; g < 64; ++g) px.push_back(uint32_t(r * 4) << 16 | uint32_t(g * 4) << 8 | 0x40);
    const auto palette = skinart::buildPalette(px, 16);
    EXPECT_LE(palette.size(), 16u);
    EXPECT_EQ(palette, skinart::buildPalette(px, 16)) << "not deterministic";
    for (size_t i = 0; i < palette.size(); ++i)
        EXPECT_EQ(skinart::nearestIndex(palette, palette[i]), i) << "palette entry not its own nearest";
    const auto idx = skinart::mapToPalette(px, palette);
    for (size_t i = 0; i < px.size(); ++i) {
        const int dr = int((px[i] >> 16) & 0xFF) - int((palette[idx[i]] >> 16) & 0xFF);
        const int dg = int((px[i] >> 8) & 0xFF) - int((palette[idx[i]] >> 8) & 0xFF);
        ASSERT_LT(dr * dr + dg * dg, 48 * 48) << std::hex << px[i];
    }
}

TEST(SkinArtQuantize, SkinKeepsEqualPixelsEqualAndSparesExact) {
    const std::vector<uint32_t>& rgb = skin().pixels();
    const auto palette = skinart::buildPalette(rgb, 256);
    const auto idx = skinart::mapToPalette(rgb, palette);
    std::map<uint32_t, uint8_t> seen;
    for (size_t i = 0; i < rgb.size(); ++i) {
        auto it = seen.emplace(rgb[i], idx[i]).first;
        ASSERT_EQ(it->second, idx[i]) << "one colour, two indices";
    }
    auto sameIdx = [&](int ax, int ay, int bx, int by, int w, int h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (idx[size_t(ay + y) * kSkinWidth + ax + x] != idx[size_t(by + y) * kSkinWidth + bx + x])
                    return false;
        return true;
    };
    EXPECT_TRUE(sameIdx(0, 325, 0, 74, 367, 8));
    EXPECT_TRUE(sameIdx(369, 0, 177, 0, 40, 74));
    EXPECT_TRUE(sameIdx(84, 83, 170, 83, 35, 22));
    // the lit amber survives quantisation as a bright colour
    int brightest = 0;
    for (int x = 377; x < 391; ++x)
        for (int y = 299; y < 320; ++y)
            brightest = std::max<int>(brightest, (palette[idx[size_t(y) * kSkinWidth + x]] >> 16) & 0xFF);
    EXPECT_GT(brightest, 220);
}

// ------------------------------------------------------------ icon

TEST(SkinArtIconWriter, IcoHoldsBothSizesWithMatchingMasks) {
    const auto big = skinart::drawEmblem(32), small = skinart::drawEmblem(16);
    ASSERT_EQ(big.argb.size(), 32u * 32u);
    EXPECT_EQ(big.argb[0] >> 24, 0u) << "rounded corner should be transparent";
    EXPECT_EQ(big.argb[16 * 32 + 16] >> 24, 255u) << "centre should be opaque";
    const auto f = skinart::encodeIco({big, small});
    EXPECT_EQ(le16(f, 0), 0u);
    EXPECT_EQ(le16(f, 2), 1u);
    EXPECT_EQ(le16(f, 4), 2u);
    const uint32_t bigBytes = 40 + 32 * 32 * 4 + 4 * 32, smallBytes = 40 + 16 * 16 * 4 + 4 * 16;
    EXPECT_EQ(f[6], 32);
    EXPECT_EQ(f[22], 16);
    EXPECT_EQ(le16(f, 6 + 6), 32u);
    EXPECT_EQ(le32(f, 6 + 8), bigBytes);
    EXPECT_EQ(le32(f, 22 + 8), smallBytes);
    const uint32_t bigAt = le32(f, 6 + 12), smallAt = le32(f, 22 + 12);
    EXPECT_EQ(bigAt, 38u);
    EXPECT_EQ(smallAt, bigAt + bigBytes);
    EXPECT_EQ(f.size(), smallAt + smallBytes);
    EXPECT_EQ(le32(f, bigAt + 8), 64u) << "height counts colour and mask rows";
    // top-left pixel: last colour row, its mask bit is the top bit of the last mask row
    const size_t maskAt = bigAt + 40 + 32 * 32 * 4;
    EXPECT_EQ(f[maskAt + 31 * 4] & 0x80, 0x80);
    EXPECT_EQ(le32(f, bigAt + 40 + 31 * 32 * 4), big.argb[0]);
    EXPECT_EQ(f[maskAt + 16 * 4 + 2] & 0x80, 0) << "opaque centre must not be masked";
}

// The desktop's sizes: multiples of 32 are the drawn 32 x 32 icon in exact
// pixel blocks (no blur), the others are drawn at their own size.
TEST(SkinArtIconWriter, DesktopSizesAreBlocksOfTheIconOrDrawnAfresh) {
    const auto base = skinart::drawEmblem(32);
    for (int size : {32, 64, 128, 256}) {
        const auto icon = skinart::desktopIcon(size);
        ASSERT_EQ(icon.size, size);
        ASSERT_EQ(icon.argb.size(), size_t(size) * size);
        const int block = size / 32;
        size_t differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                differing += icon.argb[size_t(y) * size + x] != base.argb[size_t(y / block) * 32 + x / block];
        EXPECT_EQ(differing, 0u) << size;
    }
    for (int size : {16, 48}) {
        const auto icon = skinart::desktopIcon(size), drawn = skinart::drawEmblem(size);
        EXPECT_EQ(icon.size, size);
        EXPECT_EQ(icon.argb, drawn.argb) << size;
        EXPECT_EQ(icon.argb[0] >> 24, 0u) << "rounded corner should be transparent at " << size;
        EXPECT_EQ(icon.argb[size_t(size / 2) * size + size / 2] >> 24, 255u) << size;
    }
    EXPECT_EQ(skinart::desktopIcon(15).size, 0);
    EXPECT_EQ(skinart::desktopIcon(544).size, 0);
    EXPECT_EQ(skinart::desktopIcon(512).size, 512);
}

}  // namespace
