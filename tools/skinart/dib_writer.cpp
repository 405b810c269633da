#include "dib_writer.h"

#include <fstream>
#include <stdexcept>

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

void putHeaders(std::vector<uint8_t>& out, int width, int height, int bpp, uint32_t colours) {
    const uint32_t imageSize = static_cast<uint32_t>(dibRowStride(width, bpp)) * height;
    const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + colours * 4;
    out.push_back('B');
    out.push_back('M');
    put32(out, pixelOffset + imageSize);
    put32(out, 0);  // two reserved words
    put32(out, pixelOffset);
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));  // positive: bottom-up rows
    put16(out, 1);                              // planes
    put16(out, static_cast<uint32_t>(bpp));
    put32(out, 0);  // no compression
    put32(out, imageSize);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, colours);  // colours used
    put32(out, 0);        // all colours important
}

}  // namespace

int dibRowStride(int width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

std::vector<uint8_t> encodeIndexedDib(int width, int height, int bitsPerPixel,
                                      const std::vector<uint32_t>& palette,
                                      const std::vector<uint8_t>& indices) {
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8)
        throw std::invalid_argument("indexed bitmaps have 1, 4 or 8 bits per pixel");
    const uint32_t colours = 1u << bitsPerPixel;
    if (palette.size() > colours) throw std::invalid_argument("palette too large");
    std::vector<uint8_t> out;
    putHeaders(out, width, height, bitsPerPixel, colours);
    for (uint32_t i = 0; i < colours; ++i) {
        const uint32_t c = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<uint8_t>(c));        // blue
        out.push_back(static_cast<uint8_t>(c >> 8));   // green
        out.push_back(static_cast<uint8_t>(c >> 16));  // red
        out.push_back(0);
    }
    const int stride = dibRowStride(width, bitsPerPixel);
    const int perByte = 8 / bitsPerPixel;
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const uint8_t index = indices[static_cast<size_t>(y) * width + x];
            const int shift = 8 - bitsPerPixel * (x % perByte + 1);  // leftmost pixel in the high bits
            row[x / perByte] |= static_cast<uint8_t>(index << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> encodeRgbDib(int width, int height, const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> out;
    putHeaders(out, width, height, 24, 0);
    const int stride = dibRowStride(width, 24);
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = pixels[static_cast<size_t>(y) * width + x];
            row[3 * x] = static_cast<uint8_t>(c);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

}  // namespace skinart
