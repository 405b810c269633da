// Palette building and colour mapping for indexed bitmaps. The mapping is a
// pure function of the RGB value, so pixels that are equal before
// quantisation are equal after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skinart {

// A palette of at most `maxColours` 0xRRGGBB entries for `pixels`: the exact
// colours when there are few enough, else median cut refined by a few
// k-means passes. Deterministic; entries are sorted.
std::vector<uint32_t> buildPalette(const std::vector<uint32_t>& pixels, size_t maxColours);

// Index of the palette entry nearest to `rgb` (squared RGB distance; the
// lowest index wins a tie).
uint8_t nearestIndex(const std::vector<uint32_t>& palette, uint32_t rgb);

// Maps every pixel to its nearest palette index.
std::vector<uint8_t> mapToPalette(const std::vector<uint32_t>& pixels,
                                  const std::vector<uint32_t>& palette);

// The two-colour palette of 1-bit files: black and white.
std::vector<uint32_t> blackAndWhitePalette();

}  // namespace skinart
