// Windows device-independent bitmap files: 14-byte file header, info header
// (40 bytes, or the 108- and 124-byte headers of today's editors), colour
// masks or colour table, rows padded to 4 bytes, bottom-up unless asked for
// top-down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skinart {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

// Bytes per stored row for `width` pixels at `bitsPerPixel`.
int dibRowStride(int width, int bitsPerPixel);

constexpr int kV4HeaderSize = 108;
constexpr int kV5HeaderSize = 124;

// How the file is laid out, whatever its pixels.
struct DibLayout {
    int infoHeaderSize = kInfoHeaderSize;  // 40, 108 or 124
    bool topDown = false;                  // negative height, top row first
};

// The 16- and 32-bit pixel formats.
enum class DirectFormat {
    Rgb32,        // 32 bits, no compression: blue, green, red, unused
    Bitfields32,  // 32 bits with the masks 00FF0000, 0000FF00, 000000FF
    Bitfields565, // 16 bits with the masks F800, 07E0, 001F
    Bitfields555, // 16 bits with the masks 7C00, 03E0, 001F
};

// An indexed bitmap (1, 4 or 8 bits per pixel). `indices` holds one palette
// index per pixel, top row first; the colour table gets 2^bpp entries, the
// unused ones black, and colours-used says 2^bpp.
std::vector<uint8_t> encodeIndexedDib(int width, int height, int bitsPerPixel,
                                      const std::vector<uint32_t>& palette,
                                      const std::vector<uint8_t>& indices,
                                      const DibLayout& layout = {});

// A 24-bit bitmap from 0xRRGGBB pixels, top row first; no colour table.
std::vector<uint8_t> encodeRgbDib(int width, int height, const std::vector<uint32_t>& pixels,
                                  const DibLayout& layout = {});

// A 16- or 32-bit bitmap from 0xRRGGBB pixels, top row first; 16 bits keep
// the top 5 or 6 bits of each channel.
std::vector<uint8_t> encodeDirectDib(int width, int height, const std::vector<uint32_t>& pixels,
                                     DirectFormat format, const DibLayout& layout = {});

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace skinart
