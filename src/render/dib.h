// A portable converter of device-independent bitmap rows, giving the same
// pixels the system's conversion gives.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace orv {

// Converts the bottom-up rows of a DIB with 1, 4, 8 or 24 bits per pixel into
// width x height top-down pixels 0x00RRGGBB in out (resized). info is the
// 40-byte info header (width and height are taken from the arguments, not from
// it) followed at headerSize by the colour table: RGB quads, or, when
// paletteRelative, 16-bit indices into palette. An index beyond the table
// draws as colour 0. Rows are read only within bitsSize. False for a depth or
// compression it cannot convert (out is then left black).
bool convertDib(const uint8_t* info, uint32_t headerSize, const uint8_t* bits, uint32_t bitsSize,
                bool paletteRelative, const std::vector<PaletteEntry>& palette, int width,
                int height, std::vector<uint32_t>& out);

}  // namespace orv
