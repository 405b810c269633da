// Writes a picture of the skin as PNG so a person can look at it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace skinart {

// Writes `crop` of the 0xRRGGBB image `width` pixels wide, each pixel blown up
// to scale x scale. Returns false when cairo cannot write the file.
bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width,
              Rect crop, int scale);

}  // namespace skinart
