// A portable converter of device-independent bitmap rows.
//
// Rows are stored bottom-up, each padded to a multiple of 4 bytes. Pixels of
// 1 and 4 bits are packed from the most significant bits of a byte; 24-bit
// pixels are blue, green, red triples. Nothing is read outside the pixel rows
// (bitsSize) or the colour table (colours-used entries).
#include "render/dib.h"

#include <algorithm>

namespace orv {

namespace {

constexpr uint32_t bitCountField = 14;
constexpr uint32_t compressionField = 16;
constexpr uint32_t coloursUsedField = 32;
constexpr uint32_t compressionNone = 0;  // BI_RGB: plain rows
constexpr uint32_t quadSize = 4;         // blue, green, red, reserved
constexpr uint32_t indexSize = 2;        // 16-bit palette index
constexpr uint32_t black = 0;

uint16_t getU16(const uint8_t* p, size_t at) { return uint16_t(p[at] | p[at + 1] << 8); }

uint32_t getU32(const uint8_t* p, size_t at) {
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
}

uint32_t rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

// How one pixel value of a palettised image becomes a colour.
struct ColourTable {
    const uint8_t* entries;
    uint32_t count;
    bool paletteRelative;
    const std::vector<PaletteEntry>* palette;

    // Values beyond the table, or palette indices beyond the palette, draw as colour 0.
    uint32_t colourOf(uint32_t value) const {
        if (value >= count) return black;
        if (!paletteRelative) {
            const uint8_t* quad = entries + size_t(value) * quadSize;
            return rgb(quad[2], quad[1], quad[0]);
        }
        uint16_t index = getU16(entries, size_t(value) * indexSize);
        if (index >= palette->size()) return black;
        const PaletteEntry& e = (*palette)[index];
        return rgb(e.red, e.green, e.blue);
    }
};

// The pixel value at column x of a row of 1, 4 or 8 bits per pixel.
uint32_t packedValue(const uint8_t* row, uint32_t bitCount, int x) {
    size_t bit = size_t(x) * bitCount;
    uint8_t byte = row[bit / 8];
    unsigned shift = unsigned(8 - bitCount - bit % 8);
    return (byte >> shift) & ((1u << bitCount) - 1);
}

}  // namespace

bool convertDib(const uint8_t* info, uint32_t headerSize, const uint8_t* bits, uint32_t bitsSize,
                bool paletteRelative, const std::vector<PaletteEntry>& palette, int width,
                int height, std::vector<uint32_t>& out) {
    out.assign(size_t(width > 0 ? width : 0) * size_t(height > 0 ? height : 0), black);
    uint32_t bitCount = getU16(info, bitCountField);
    bool packed = bitCount == 1 || bitCount == 4 || bitCount == 8;
    if (!packed && bitCount != 24) return false;
    if (getU32(info, compressionField) != compressionNone) return false;
    if (width <= 0 || height <= 0) return false;

    uint32_t coloursUsed = getU32(info, coloursUsedField);
    if (coloursUsed == 0 && packed) coloursUsed = 1u << bitCount;
    ColourTable table{info + headerSize, coloursUsed, paletteRelative, &palette};

    size_t rowBytes = (size_t(width) * bitCount + 31) / 32 * 4;
    for (int r = 0; r < height; ++r) {
        size_t rowStart = size_t(r) * rowBytes;
        if (rowStart >= bitsSize) break;
        const uint8_t* row = bits + rowStart;
        // Only the pixels whose bytes lie within the rows are converted.
        size_t available = bitsSize - rowStart;
        int count = int(std::min<size_t>(size_t(width), available * 8 / bitCount));
        uint32_t* dest = &out[size_t(height - 1 - r) * size_t(width)];
        for (int x = 0; x < count; ++x) {
            if (packed) {
                dest[x] = table.colourOf(packedValue(row, bitCount, x));
            } else {
                const uint8_t* p = row + size_t(x) * 3;
                dest[x] = rgb(p[2], p[1], p[0]);
            }
        }
    }
    return true;
}

}  // namespace orv
