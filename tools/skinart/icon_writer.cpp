#include "icon_writer.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>

namespace skinart {
namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr int kIconDirSize = 6;
constexpr int kIconEntrySize = 16;
constexpr int kBitmapHeaderSize = 40;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

int maskStride(int size) { return (size + 31) / 32 * 4; }

uint32_t imageBytes(const IconImage& im) {
    return kBitmapHeaderSize + im.size * im.size * 4 + maskStride(im.size) * im.size;
}

void roundedSquare(cairo_t* cr, double x, double y, double s, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + s - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + s - r, y + s - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + s - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void wavePath(cairo_t* cr, double s) {
    const double left = s * 0.18, right = s * 0.82, mid = s * 0.55, amp = s * 0.16;
    for (int i = 0; i <= 40; ++i) {
        const double t = i / 40.0;
        const double x = left + (right - left) * t;
        const double y = mid - amp * std::sin(t * 2 * kPi) * (0.6 + 0.4 * std::sin(t * kPi));
        if (i == 0) cairo_move_to(cr, x, y);
        else cairo_line_to(cr, x, y);
    }
}

}  // namespace

IconImage drawEmblem(int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    const double s = size;
    const bool small = size < 24;

    // graphite body with a lighter top edge
    roundedSquare(cr, 0.5, 0.5, s - 1, s * 0.2);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, 0, 0, s);
    cairo_pattern_add_color_stop_rgb(body, 0, 0.33, 0.35, 0.38);
    cairo_pattern_add_color_stop_rgb(body, 1, 0.12, 0.13, 0.14);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.06);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // dark glass window
    const double inset = s * 0.14;
    roundedSquare(cr, inset, inset, s - 2 * inset, s * 0.12);
    cairo_set_source_rgb(cr, 0.03, 0.035, 0.04);
    cairo_fill(cr);

    // glowing wave
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    wavePath(cr, s);
    cairo_set_source_rgba(cr, 1.0, 0.48, 0.06, 0.35);
    cairo_set_line_width(cr, small ? 3.2 : s * 0.16);
    cairo_stroke(cr);
    wavePath(cr, s);
    cairo_set_source_rgb(cr, 1.0, 0.71, 0.24);
    cairo_set_line_width(cr, small ? 1.5 : s * 0.07);
    cairo_stroke(cr);

    // green tuned lamp
    const double r = small ? 1.3 : s * 0.06;
    cairo_arc(cr, s * 0.74, s * 0.29, r, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 0.36, 1.0, 0.54);
    cairo_fill(cr);

    cairo_destroy(cr);
    cairo_surface_flush(surface);

    IconImage image;
    image.size = size;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + 4 * x);
            const uint32_t a = p >> 24;
            uint32_t out = 0;
            if (a > 0) {  // cairo stores premultiplied colour
                auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
                out = (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) |
                      un(p & 0xFF);
            }
            image.argb.push_back(out);
        }
    }
    cairo_surface_destroy(surface);
    return image;
}

std::vector<uint8_t> encodeIco(const std::vector<IconImage>& images) {
    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // icon
    put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = kIconDirSize + kIconEntrySize * static_cast<uint32_t>(images.size());
    for (const IconImage& im : images) {
        out.push_back(static_cast<uint8_t>(im.size >= 256 ? 0 : im.size));
        out.push_back(static_cast<uint8_t>(im.size >= 256 ? 0 : im.size));
        out.push_back(0);  // no colour table
        out.push_back(0);
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, imageBytes(im));
        put32(out, offset);
        offset += imageBytes(im);
    }
    for (const IconImage& im : images) {
        const int n = im.size;
        put32(out, kBitmapHeaderSize);
        put32(out, static_cast<uint32_t>(n));
        put32(out, static_cast<uint32_t>(2 * n));  // colour rows plus mask rows
        put16(out, 1);
        put16(out, 32);
        put32(out, 0);
        put32(out, imageBytes(im) - kBitmapHeaderSize);
        put32(out, 0);
        put32(out, 0);
        put32(out, 0);
        put32(out, 0);
        for (int y = n - 1; y >= 0; --y)
            for (int x = 0; x < n; ++x) put32(out, im.argb[static_cast<size_t>(y) * n + x]);
        for (int y = n - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride(n), 0);
            for (int x = 0; x < n; ++x)
                if ((im.argb[static_cast<size_t>(y) * n + x] >> 24) == 0)
                    row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            out.insert(out.end(), row.begin(), row.end());
        }
    }
    return out;
}

// cairo keeps premultiplied alpha.
IconImage desktopIcon(int size) {
    constexpr int kBase = 32;
    if (size < kMinDesktopIcon || size > kMaxDesktopIcon) return IconImage{};
    if (size % kBase != 0) return drawEmblem(size);
    const IconImage base = drawEmblem(kBase);
    const int block = size / kBase;
    IconImage image;
    image.size = size;
    image.argb.resize(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.argb[static_cast<size_t>(y) * size + x] = base.argb[static_cast<size_t>(y / block) * kBase + x / block];
    return image;
}

bool writeIconPng(const std::string& path, const IconImage& image) {
    const int n = image.size;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, n, n);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < n; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < n; ++x) {
            const uint32_t p = image.argb[static_cast<size_t>(y) * n + x];
            const uint32_t a = p >> 24;
            auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
            row[x] = a << 24 | pre((p >> 16) & 0xFF) << 16 | pre((p >> 8) & 0xFF) << 8 | pre(p & 0xFF);
        }
    }
    cairo_surface_mark_dirty(s);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

bool writeIconSource(const std::string& path, const IconImage& image) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    std::fprintf(out, "// Written by skinart --icon-source: the %d x %d window icon.\n", image.size, image.size);
    std::fprintf(out, "#include <cstdint>\n\nextern const int orvantaIconSize = %d;\n", image.size);
    std::fprintf(out, "extern const uint32_t orvantaIconArgb[] = {\n");
    for (size_t i = 0; i < image.argb.size(); ++i)
        std::fprintf(out, "0x%08X,%s", unsigned(image.argb[i]), i % 8 == 7 ? "\n" : " ");
    std::fprintf(out, "};\n");
    return std::fclose(out) == 0;
}

}  // namespace skinart
