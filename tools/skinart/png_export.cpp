#include "png_export.h"

#include <cairo.h>

namespace skinart {

bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width,
              Rect crop, int scale) {
    cairo_surface_t* s =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, crop.w * scale, crop.h * scale);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < crop.h * scale; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < crop.w * scale; ++x)
            row[x] = pixels[static_cast<size_t>(crop.y + y / scale) * width + crop.x + x / scale];
    }
    cairo_surface_mark_dirty(s);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

}  // namespace skinart
