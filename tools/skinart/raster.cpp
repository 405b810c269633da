#include "raster.h"

namespace skinart {

Raster::Raster(int w, int h, uint32_t fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

void copyRect(const Raster& src, Rect from, Raster& dst, int toX, int toY) {
    for (int y = 0; y < from.h; ++y)
        for (int x = 0; x < from.w; ++x)
            dst.set(toX + x, toY + y, src.at(from.x + x, from.y + y));
}

void copyWithin(Raster& r, Rect from, int toX, int toY) {
    const Raster snapshot = r;
    copyRect(snapshot, from, r, toX, toY);
}

}  // namespace skinart
