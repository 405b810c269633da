// The real skin as today's image editors save it (long headers, top-down
// rows, 16- and 32-bit pixels) gives the panel the same pixels as the
// shipped 8-bit file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "artwork.h"
#include "dib_writer.h"
#include "platform/headless/headless.h"
#include "quantize.h"
#include "render/skin_loader.h"

namespace orv {
namespace {

using skinart::DibLayout;
using skinart::DirectFormat;

const char* const skinPath = "C:\\Orvanta\\text.dat";

// The shipped skin's palette, indices and colours, drawn once.
struct ShippedSkin {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> colours;  // 0xRRGGBB per pixel, top row first
    ShippedSkin() {
        const std::vector<uint32_t> drawn = skinart::drawSkinRgb();
        palette = skinart::buildPalette(drawn, 256);
        indices = skinart::mapToPalette(drawn, palette);
        for (uint8_t i : indices) colours.push_back(palette[i]);
    }
};

const ShippedSkin& shipped() {
    static const ShippedSkin skin;
    return skin;
}

// The panelDC pixels a skin file gives; empty when it does not load.
std::vector<uint32_t> panelPixels(const std::vector<uint8_t>& file) {
    Headless h;
    App app{h.platform};
    app.state.skinBlock.assign(skinBlockInitialSize, 0);
    std::strcpy(app.state.skinFilePath, skinPath);
    h.files.memory[skinPath] = file;
    if (!loadSkinFile(app)) return {};
    createSkinSurface(app);
    if (!app.state.panelSurface) return {};
    return h.display.skin;
}

std::vector<uint8_t> indexedFile(const DibLayout& layout) {
    const ShippedSkin& s = shipped();
    return skinart::encodeIndexedDib(430, 344, 8, s.palette, s.indices, layout);
}

TEST(SkinVariants, EveryEditorLayoutGivesTheShippedPanel) {
    const std::vector<uint32_t> expected = panelPixels(indexedFile({}));
    ASSERT_EQ(expected.size(), 430u * 344);
    ASSERT_EQ(expected, shipped().colours);

    const ShippedSkin& s = shipped();
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        int tolerance;  // per channel: what the format cannot hold
    } variants[] = {
        {"V4 header, 8 bits", indexedFile({108, false}), 0},
        {"V5 header, 8 bits", indexedFile({124, false}), 0},
        {"top-down, 8 bits", indexedFile({40, true}), 0},
        {"V5 header, top-down, 8 bits", indexedFile({124, true}), 0},
        {"V5 header, 24 bits", skinart::encodeRgbDib(430, 344, s.colours, {124, false}), 0},
        {"top-down, 24 bits", skinart::encodeRgbDib(430, 344, s.colours, {40, true}), 0},
        {"32 bits", skinart::encodeDirectDib(430, 344, s.colours, DirectFormat::Rgb32), 0},
        {"32 bits, bitfields, V5", skinart::encodeDirectDib(430, 344, s.colours, DirectFormat::Bitfields32, {124, false}), 0},
        {"16 bits, 5-6-5", skinart::encodeDirectDib(430, 344, s.colours, DirectFormat::Bitfields565), 7},
        {"16 bits, 5-5-5, V4, top-down", skinart::encodeDirectDib(430, 344, s.colours, DirectFormat::Bitfields555, {108, true}), 7},
    };
    for (const auto& v : variants) {
        const std::vector<uint32_t> got = panelPixels(v.file);
        ASSERT_EQ(got.size(), expected.size()) << v.name << " did not load";
        if (v.tolerance == 0) {
            EXPECT_EQ(got, expected) << v.name;
            continue;
        }
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i)
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int(got[i] >> shift & 0xFF) - int(expected[i] >> shift & 0xFF)));
        EXPECT_LE(worst, v.tolerance) << v.name;
    }
}

}  // namespace
}  // namespace orv
