// A picture for the manual: the panel face with its parts numbered and named.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skinart {

struct FacePart {
    const char* name;
    int x, y, w, h;        // the part on the face, in face pixels
    int markerX, markerY;  // where its number is drawn, in face pixels (may lie outside the face)
};

// Every part of the full panel the manual names, in legend order.
const std::vector<FacePart>& faceParts();

// Writes the face of the skin (0xRRGGBB, kSkinWidth wide) blown up twice,
// each part outlined and numbered, with a legend of the names below.
// Returns false when the PNG cannot be written.
bool writeFaceMap(const std::string& path, const std::vector<uint32_t>& skin);

}  // namespace skinart
