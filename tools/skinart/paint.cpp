#include "paint.h"

#include <algorithm>
#include <cmath>

namespace skinart {

namespace {
constexpr uint32_t kRgbMask = 0xFFFFFF;

double channel(uint32_t c, int shift) { return ((c >> shift) & 0xFF) / 255.0; }
}  // namespace

Canvas::Canvas(Raster& target) : target_(target) {
    surface_ = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(target.pixels.data()), CAIRO_FORMAT_RGB24,
        target.width, target.height, target.width * 4);
    cr_ = cairo_create(surface_);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_flush(surface_);
    cairo_surface_destroy(surface_);
    // cairo leaves the unused top byte of RGB24 pixels undefined.
    for (uint32_t& p : target_.pixels) p &= kRgbMask;
}

uint32_t mix(uint32_t a, uint32_t b, double t) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double v = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        out |= static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))) << shift;
    }
    return out;
}

uint32_t shade(uint32_t c, int delta) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int v = static_cast<int>((c >> shift) & 0xFF) + delta;
        out |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << shift;
    }
    return out;
}

void setColour(cairo_t* cr, uint32_t rgb, double alpha) {
    cairo_set_source_rgba(cr, channel(rgb, 16), channel(rgb, 8), channel(rgb, 0), alpha);
}

void fillRect(cairo_t* cr, double x, double y, double w, double h, uint32_t rgb,
              double alpha) {
    setColour(cr, rgb, alpha);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void drawBitmap(cairo_t* cr, const Bitmap& bitmap, int x, int y, uint32_t rgb,
                double alpha) {
    setColour(cr, rgb, alpha);
    for (int row = 0; row < bitmap.height; ++row)
        for (int col = 0; col < bitmap.width; ++col)
            if (bitmap.ink(col, row)) cairo_rectangle(cr, x + col, y + row, 1, 1);
    cairo_fill(cr);
}

int drawText(cairo_t* cr, FontSize size, const std::string& text, int x, int y,
             uint32_t rgb, int gap) {
    int pen = x;
    for (char c : text) {
        const Bitmap g = fontGlyph(size, c);
        drawBitmap(cr, g, pen, y, rgb);
        pen += g.width + gap;
    }
    return textWidth(size, text, gap);
}

void drawPrintedText(cairo_t* cr, FontSize size, const std::string& text, int x, int y,
                     int gap) {
    int pen = x;
    for (char c : text) {
        const Bitmap g = fontGlyph(size, c);
        drawBitmap(cr, g, pen, y + 1, colour::kPrintShadow, 0.8);
        pen += g.width + gap;
    }
    drawText(cr, size, text, x, y, colour::kPrint, gap);
}

void drawBitmapGlow(cairo_t* cr, const Bitmap& bitmap, int x, int y, uint32_t rgb,
                    double alpha) {
    // Union of the ink shifted one pixel in each direction, painted once so
    // that overlapping halos do not stack up.
    cairo_save(cr);
    cairo_push_group(cr);
    setColour(cr, rgb, 1.0);
    for (int row = 0; row < bitmap.height; ++row)
        for (int col = 0; col < bitmap.width; ++col)
            if (bitmap.ink(col, row)) cairo_rectangle(cr, x + col - 1, y + row - 1, 3, 3);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

}  // namespace skinart
