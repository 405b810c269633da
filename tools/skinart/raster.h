// A plain 0xRRGGBB pixel buffer and rectangle copies within and between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skinart {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

struct Raster {
    Raster(int w, int h, uint32_t fill = 0);

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void set(int x, int y, uint32_t rgb) { pixels[static_cast<size_t>(y) * width + x] = rgb; }

    int width;
    int height;
    std::vector<uint32_t> pixels;  // row-major, top row first
};

// Copies `from` of `src` so that its top-left lands on (toX, toY) of `dst`.
// Overlapping copies within one raster are not supported (none are needed).
void copyRect(const Raster& src, Rect from, Raster& dst, int toX, int toY);

// Copies `from` onto (toX, toY) of the same raster.
void copyWithin(Raster& r, Rect from, int toX, int toY);

}  // namespace skinart
