// The panel skin: a 430 x 344 image whose top-left 367 x 132 pixels are the
// panel face and whose remainder is the atlas of alternative looks, glyphs
// and spare copies that the panel copies rectangles from.
#pragma once

#include <cstdint>
#include <vector>

namespace skinart {

constexpr int kSkinWidth = 430;
constexpr int kSkinHeight = 344;
constexpr int kFaceWidth = 367;
constexpr int kFaceHeight = 132;

// Draws the whole skin; 430 * 344 pixels, 0xRRGGBB, top row first.
std::vector<uint32_t> drawSkinRgb();

}  // namespace skinart
