#include "dib_writer.h"

#include <fstream>
#include <stdexcept>
#include <vector>

namespace skinart {
namespace {

constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dpi

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kSrgbColourSpace = 0x73524742;  // 'sRGB'
constexpr uint32_t kImagesIntent = 4;              // LCS_GM_IMAGES

struct Masks {
    uint32_t red = 0, green = 0, blue = 0;
};

void putHeaders(std::vector<uint8_t>& out, int width, int height, int bpp, uint32_t colours,
                const DibLayout& layout, uint32_t compression = kBiRgb, Masks masks = {}) {
    const int infoSize = layout.infoHeaderSize;
    if (infoSize != kInfoHeaderSize && infoSize != kV4HeaderSize && infoSize != kV5HeaderSize)
        throw std::invalid_argument("info headers are 40, 108 or 124 bytes");
    const uint32_t imageSize = static_cast<uint32_t>(dibRowStride(width, bpp)) * height;
    // After a 40-byte header the masks of a bitfield image come before the table.
    const uint32_t maskBytes = compression == kBiBitfields && infoSize == kInfoHeaderSize ? 12 : 0;
    const uint32_t pixelOffset = kFileHeaderSize + infoSize + maskBytes + colours * 4;
    out.push_back('B');
    out.push_back('M');
    put32(out, pixelOffset + imageSize);
    put32(out, 0);  // two reserved words
    put32(out, pixelOffset);
    put32(out, static_cast<uint32_t>(infoSize));
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(layout.topDown ? -height : height));
    put16(out, 1);  // planes
    put16(out, static_cast<uint32_t>(bpp));
    put32(out, compression);
    put32(out, imageSize);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, colours);  // colours used
    put32(out, 0);        // all colours important
    if (infoSize == kInfoHeaderSize) {
        if (maskBytes) {
            put32(out, masks.red);
            put32(out, masks.green);
            put32(out, masks.blue);
        }
        return;
    }
    put32(out, masks.red);
    put32(out, masks.green);
    put32(out, masks.blue);
    put32(out, 0);  // no alpha
    put32(out, kSrgbColourSpace);
    for (int i = 0; i < 9 + 3; ++i) put32(out, 0);  // endpoints and gamma, unused for sRGB
    if (infoSize == kV5HeaderSize) {
        put32(out, kImagesIntent);
        put32(out, 0);  // no profile
        put32(out, 0);
        put32(out, 0);  // reserved
    }
}

// The file rows in the order the layout stores them: bottom-up unless top-down.
template <typename RowWriter>
void putRows(std::vector<uint8_t>& out, int height, int stride, const DibLayout& layout,
             RowWriter writeRow) {
    for (int i = 0; i < height; ++i) {
        const int y = layout.topDown ? i : height - 1 - i;
        std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
        writeRow(y, row);
        out.insert(out.end(), row.begin(), row.end());
    }
}

}  // namespace

int dibRowStride(int width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

std::vector<uint8_t> encodeIndexedDib(int width, int height, int bitsPerPixel,
                                      const std::vector<uint32_t>& palette,
                                      const std::vector<uint8_t>& indices, const DibLayout& layout) {
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8)
        throw std::invalid_argument("indexed bitmaps have 1, 4 or 8 bits per pixel");
    const uint32_t colours = 1u << bitsPerPixel;
    if (palette.size() > colours) throw std::invalid_argument("palette too large");
    std::vector<uint8_t> out;
    putHeaders(out, width, height, bitsPerPixel, colours, layout);
    for (uint32_t i = 0; i < colours; ++i) {
        const uint32_t c = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<uint8_t>(c));        // blue
        out.push_back(static_cast<uint8_t>(c >> 8));   // green
        out.push_back(static_cast<uint8_t>(c >> 16));  // red
        out.push_back(0);
    }
    const int perByte = 8 / bitsPerPixel;
    putRows(out, height, dibRowStride(width, bitsPerPixel), layout, [&](int y, std::vector<uint8_t>& row) {
        for (int x = 0; x < width; ++x) {
            const uint8_t index = indices[static_cast<size_t>(y) * width + x];
            const int shift = 8 - bitsPerPixel * (x % perByte + 1);  // leftmost pixel in the high bits
            row[x / perByte] |= static_cast<uint8_t>(index << shift);
        }
    });
    return out;
}

std::vector<uint8_t> encodeRgbDib(int width, int height, const std::vector<uint32_t>& pixels,
                                  const DibLayout& layout) {
    std::vector<uint8_t> out;
    putHeaders(out, width, height, 24, 0, layout);
    putRows(out, height, dibRowStride(width, 24), layout, [&](int y, std::vector<uint8_t>& row) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = pixels[static_cast<size_t>(y) * width + x];
            row[3 * x] = static_cast<uint8_t>(c);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
        }
    });
    return out;
}

std::vector<uint8_t> encodeDirectDib(int width, int height, const std::vector<uint32_t>& pixels,
                                     DirectFormat format, const DibLayout& layout) {
    const bool wide = format == DirectFormat::Rgb32 || format == DirectFormat::Bitfields32;
    const int bpp = wide ? 32 : 16;
    Masks masks{0xFF0000, 0xFF00, 0xFF};
    if (format == DirectFormat::Bitfields565) masks = {0xF800, 0x7E0, 0x1F};
    if (format == DirectFormat::Bitfields555) masks = {0x7C00, 0x3E0, 0x1F};
    const uint32_t compression = format == DirectFormat::Rgb32 ? kBiRgb : kBiBitfields;
    std::vector<uint8_t> out;
    putHeaders(out, width, height, bpp, 0, layout, compression,
               compression == kBiBitfields || layout.infoHeaderSize != kInfoHeaderSize ? masks : Masks{});
    putRows(out, height, dibRowStride(width, bpp), layout, [&](int y, std::vector<uint8_t>& row) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = pixels[static_cast<size_t>(y) * width + x];
            const uint32_t r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
            uint32_t v = c & 0xFFFFFF;
            if (format == DirectFormat::Bitfields565) v = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
            if (format == DirectFormat::Bitfields555) v = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
            for (int i = 0; i < bpp / 8; ++i) row[static_cast<size_t>(x) * (bpp / 8) + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    });
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

}  // namespace skinart
