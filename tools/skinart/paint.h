// Drawing helpers shared by the artwork sources: a cairo context over a
// Raster, the panel's colours and pixel-exact text.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "pixel_font.h"
#include "raster.h"

namespace skinart {

constexpr double kPi = 3.14159265358979323846;

// Panel colours (0xRRGGBB).
namespace colour {
constexpr uint32_t kBody = 0x2E3034;        // brushed graphite
constexpr uint32_t kBorderLight = 0x5C6066;
constexpr uint32_t kBorderMid = 0x44474C;
constexpr uint32_t kBorderDark = 0x141517;
constexpr uint32_t kGroove = 0x17181A;
constexpr uint32_t kPrint = 0xB9BCC0;       // silk-screened legends
constexpr uint32_t kPrintShadow = 0x141516;
constexpr uint32_t kGlass = 0x0B0C0C;       // readout window
constexpr uint32_t kGlassRim = 0x030303;
constexpr uint32_t kWell = 0x0E0F10;        // recess around keys
constexpr uint32_t kCapFace = 0x3E4147;     // key caps; also the label strip background
constexpr uint32_t kCapHigh = 0x62666D;
constexpr uint32_t kCapLow = 0x2A2C30;
constexpr uint32_t kLabel = 0xECE4CF;       // cream key labels
constexpr uint32_t kAmber = 0xFFB43C;       // lit readout segments
constexpr uint32_t kAmberCore = 0xFFE0A0;
constexpr uint32_t kAmberGlow = 0xFF7A10;
constexpr uint32_t kAmberGhost = 0x26190D;  // unlit segments behind the glass
constexpr uint32_t kGreen = 0x5CFF8A;
constexpr uint32_t kGreenGhost = 0x10261A;
constexpr uint32_t kRed = 0xFF4A32;
constexpr uint32_t kRedGhost = 0x2E1210;
constexpr uint32_t kCyan = 0x6AE8FF;
constexpr uint32_t kCyanGhost = 0x0F2328;
constexpr uint32_t kFree = 0x1B1C1E;        // atlas space no copy reads
}  // namespace colour

// A cairo context drawing straight into a Raster (RGB24 shares its layout).
class Canvas {
public:
    explicit Canvas(Raster& target);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }

private:
    Raster& target_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

uint32_t mix(uint32_t a, uint32_t b, double t);  // t = 0 gives a, 1 gives b
uint32_t shade(uint32_t c, int delta);            // adds delta to each channel

void setColour(cairo_t* cr, uint32_t rgb, double alpha = 1.0);
void fillRect(cairo_t* cr, double x, double y, double w, double h, uint32_t rgb,
              double alpha = 1.0);

// Sets every pixel of `bitmap` whose cell is ink, top-left at (x, y).
void drawBitmap(cairo_t* cr, const Bitmap& bitmap, int x, int y, uint32_t rgb,
                double alpha = 1.0);

// Pixel text; returns the width drawn.
int drawText(cairo_t* cr, FontSize size, const std::string& text, int x, int y,
             uint32_t rgb, int gap = 1);

// Silk-screened legend: light ink with a dark shadow one row lower.
void drawPrintedText(cairo_t* cr, FontSize size, const std::string& text, int x, int y,
                     int gap = 1);

// A soft halo: the bitmap's ink widened by one pixel at low alpha.
void drawBitmapGlow(cairo_t* cr, const Bitmap& bitmap, int x, int y, uint32_t rgb,
                    double alpha);

}  // namespace skinart
