#include "face_map.h"

#include <cairo.h>

#include <algorithm>
#include <string>

#include "artwork.h"

namespace skinart {

namespace {

constexpr int kScale = 2;
constexpr int kMargin = 60, kTop = 50;
constexpr int kLegendColumns = 3, kLegendRow = 22, kLegendGap = 28;
constexpr double kMarkerRadius = 10.5;

}  // namespace

const std::vector<FacePart>& faceParts() {
    static const std::vector<FacePart> parts = {
        {"Signal lamp (TUNED)", 44, 22, 29, 10, 50, -14},
        {"Mute lamp", 29, 22, 11, 9, 30, -14},
        {"Slumber lamp", 20, 24, 6, 7, -16, 18},
        {"Alarm lamp", 19, 35, 8, 8, -16, 40},
        {"Clock", 28, 34, 44, 10, 70, -14},
        {"Readout: frequency, alarm, slumber", 76, 23, 79, 21, 115, -14},
        {"Preset number (CH)", 157, 33, 14, 10, 140, -14},
        {"Name plate: click to minimise", 23, 54, 76, 12, 60, 75},
        {"Help key (?)", 100, 52, 21, 17, 110, 75},
        {"Store plate (volume when compact)", 125, 52, 48, 17, 149, 75},
        {"Preset keys 1 to 10", 187, 18, 139, 48, 256, -14},
        {"Power key", 331, 18, 21, 22, 382, 29},
        {"Decade key (+10)", 331, 44, 21, 22, 382, 55},
        {"Left handle: full / compact", 3, 53, 7, 18, -16, 62},
        {"Top handle: compact / mini", 155, 4, 18, 6, 172, -14},
        {"Sleep ON: slumber on", 12, 83, 35, 22, 29, 146},
        {"Sleep OFF: slumber off", 48, 83, 35, 22, 65, 146},
        {"Alarm", 84, 83, 35, 22, 101, 146},
        {"Volume - / +", 122, 83, 48, 22, 146, 146},
        {"Mute", 170, 83, 35, 22, 187, 146},
        {"Coarse tuning", 208, 83, 47, 22, 231, 146},
        {"Fine tuning", 257, 83, 47, 22, 280, 146},
        {"Seek", 306, 83, 47, 22, 329, 146},
    };
    return parts;
}

bool writeFaceMap(const std::string& path, const std::vector<uint32_t>& skin) {
    const std::vector<FacePart>& parts = faceParts();
    const int faceW = kFaceWidth * kScale, faceH = kFaceHeight * kScale;
    const int width = faceW + 2 * kMargin;
    const int legendRows = int((parts.size() + kLegendColumns - 1) / kLegendColumns);
    const int legendTop = kTop + faceH + 50 + kLegendGap;
    const int height = legendTop + legendRows * kLegendRow + 20;

    cairo_surface_t* face = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kFaceWidth, kFaceHeight);
    cairo_surface_flush(face);
    unsigned char* data = cairo_image_surface_get_data(face);
    const int stride = cairo_image_surface_get_stride(face);
    for (int y = 0; y < kFaceHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < kFaceWidth; ++x) row[x] = skin[size_t(y) * kSkinWidth + x];
    }
    cairo_surface_mark_dirty(face);

    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.95);
    cairo_paint(cr);

    cairo_save(cr);
    cairo_translate(cr, kMargin, kTop);
    cairo_scale(cr, kScale, kScale);
    cairo_set_source_surface(cr, face, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);

    auto at = [](int v, int origin) { return origin + v * kScale; };
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    for (size_t i = 0; i < parts.size(); ++i) {
        const FacePart& p = parts[i];
        const double rx = at(p.x, kMargin), ry = at(p.y, kTop), rw = p.w * kScale, rh = p.h * kScale;
        const double mx = at(p.markerX, kMargin), my = at(p.markerY, kTop);
        // The leader ends at the point of the outline nearest to the marker.
        const double lx = std::clamp(mx, rx, rx + rw), ly = std::clamp(my, ry, ry + rh);
        cairo_set_source_rgb(cr, 1.0, 0.82, 0.25);
        cairo_set_line_width(cr, 1.5);
        cairo_rectangle(cr, rx + 0.75, ry + 0.75, rw - 1.5, rh - 1.5);
        cairo_stroke(cr);
        cairo_move_to(cr, mx, my);
        cairo_line_to(cr, lx, ly);
        cairo_stroke(cr);
        cairo_arc(cr, mx, my, kMarkerRadius, 0, 6.2832);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.15, 0.12, 0.05);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        const std::string number = std::to_string(i + 1);
        cairo_set_font_size(cr, 12);
        cairo_text_extents_t te;
        cairo_text_extents(cr, number.c_str(), &te);
        cairo_move_to(cr, mx - te.x_advance / 2, my + te.height / 2);
        cairo_show_text(cr, number.c_str());
    }

    const int columnWidth = (width - 2 * 20) / kLegendColumns;
    cairo_set_font_size(cr, 13);
    for (size_t i = 0; i < parts.size(); ++i) {
        const int column = int(i) / legendRows, row = int(i) % legendRows;
        const double x = 20 + column * columnWidth, y = legendTop + row * kLegendRow;
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_source_rgb(cr, 0.55, 0.4, 0.0);
        const std::string number = std::to_string(i + 1);
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, number.c_str());
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_move_to(cr, x + 26, y);
        cairo_show_text(cr, parts[i].name);
    }

    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    cairo_surface_destroy(face);
    return ok;
}

}  // namespace skinart
