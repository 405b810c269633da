#include <gtest/gtest.h>

#include "render/dib.h"

namespace orv {
namespace {

// An info header of headerSize bytes followed by the given table bytes.
std::vector<uint8_t> infoHeader(uint16_t bitCount, uint32_t coloursUsed, std::vector<uint8_t> table,
                                uint32_t headerSize = 40, uint32_t compression = 0) {
    std::vector<uint8_t> info(headerSize, 0);
    info[0] = uint8_t(headerSize);
    info[14] = uint8_t(bitCount);
    info[16] = uint8_t(compression);
    info[32] = uint8_t(coloursUsed);
    info[33] = uint8_t(coloursUsed >> 8);
    info.insert(info.end(), table.begin(), table.end());
    return info;
}

const std::vector<PaletteEntry> noPalette;
const std::vector<uint8_t> twoQuads = {0x00, 0x00, 0xFF, 0, 0xFF, 0x00, 0x00, 0};  // red, blue

struct Case {
    const char* name;
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;  // exactly the bytes given, so a read past them is caught
    bool paletteRelative;
    int width, height;
    std::vector<uint32_t> expected;  // top-down
};

TEST(ConvertDib, ConvertsEachDepthBottomUpWithinTheTableAndTheRows) {
    std::vector<PaletteEntry> palette(6);
    palette[0] = {1, 2, 3};
    palette[5] = {0xAA, 0xBB, 0xCC};
    const uint32_t R = 0xFF0000, B = 0x0000FF;
    const Case cases[] = {
        {"1 bit, rows padded to 4 bytes", infoHeader(1, 2, twoQuads),
         {0x80, 0x80, 0, 0, 0x40, 0x00, 0, 0}, false, 9, 2,
         {R, B, R, R, R, R, R, R, R, B, R, R, R, R, R, R, R, B}},
        {"4 bits, high nibble first, values beyond the table black", infoHeader(4, 2, twoQuads),
         {0x10, 0x20, 0, 0}, false, 3, 1, {B, R, 0}},
        {"8 bits palette-relative, table after a long header",
         infoHeader(8, 3, {5, 0, 0, 0, 9, 0}, 52), {0, 1, 2, 3}, true, 4, 1,
         {0xAABBCC, 0x010203, 0, 0}},
        {"24 bits with a table: the pixel is the colour", infoHeader(24, 2, twoQuads),
         {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0}, false, 2, 1, {0x332211, 0x665544}},
        {"rows beyond the bits stay black", infoHeader(8, 2, twoQuads), {1, 1, 1, 1, 0, 1}, false,
         4, 3, {0, 0, 0, 0, R, B, 0, 0, B, B, B, B}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bits(c.bits);
        std::vector<uint32_t> out;
        uint32_t headerSize = c.info[0];
        EXPECT_TRUE(convertDib(c.info.data(), headerSize, bits.data(), uint32_t(bits.size()),
                               c.paletteRelative, palette, c.width, c.height, out))
            << c.name;
        EXPECT_EQ(out, c.expected) << c.name;
    }
}

TEST(ConvertDib, RefusesDepthsAndCompressionsItCannotConvert) {
    std::vector<uint8_t> bits(64 * 4, 0x77);
    const struct { uint16_t bitCount; uint32_t compression; } cases[] = {
        {16, 0}, {32, 0}, {2, 0}, {0, 0}, {8, 1}, {4, 2}, {24, 3}};
    for (const auto& c : cases) {
        std::vector<uint8_t> info = infoHeader(c.bitCount, 0, {}, 40, c.compression);
        std::vector<uint32_t> out(3, 0x123456);
        EXPECT_FALSE(convertDib(info.data(), 40, bits.data(), uint32_t(bits.size()), false,
                                noPalette, 8, 8, out));
        EXPECT_EQ(out, std::vector<uint32_t>(64, 0)) << c.bitCount;
    }
}

}  // namespace
}  // namespace orv
