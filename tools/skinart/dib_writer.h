// Windows device-independent bitmap files: 14-byte file header, 40-byte info
// header, colour table at offset 54, bottom-up rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skinart {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

// Bytes per stored row for `width` pixels at `bitsPerPixel`.
int dibRowStride(int width, int bitsPerPixel);

// An indexed bitmap (1, 4 or 8 bits per pixel). `indices` holds one palette
// index per pixel, top row first; the colour table gets 2^bpp entries, the
// unused ones black, and colours-used says 2^bpp.
std::vector<uint8_t> encodeIndexedDib(int width, int height, int bitsPerPixel,
                                      const std::vector<uint32_t>& palette,
                                      const std::vector<uint8_t>& indices);

// A 24-bit bitmap from 0xRRGGBB pixels, top row first; no colour table.
std::vector<uint8_t> encodeRgbDib(int width, int height, const std::vector<uint32_t>& pixels);

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace skinart
