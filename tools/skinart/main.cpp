// skinart: draws the panel skin and writes it as a device-independent
// bitmap (and, on request, as a PNG picture and the window icon).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "artwork.h"
#include "dib_writer.h"
#include "icon_writer.h"
#include "png_export.h"
#include "quantize.h"

namespace {

constexpr int kIconLarge = 32;
constexpr int kIconSmall = 16;
constexpr int kMaxScale = 16;

struct Options {
    std::string out, png, icon, iconPng, iconSource;
    int bpp = 8;
    int scale = 1;
    skinart::Rect crop{0, 0, skinart::kSkinWidth, skinart::kSkinHeight};
};

void usage() {
    std::fprintf(stderr,
                 "usage: skinart [--out FILE] [--bpp 1|4|8|24] [--png FILE [--scale N]\n"
                 "               [--crop X,Y,W,H]] [--icon FILE] [--icon-png FILE]\n"
                 "               [--icon-source FILE]\n"
                 "  --out   write the 430 x 344 skin bitmap (8 bits per pixel by default)\n"
                 "  --png   also write a picture of it, blown up by --scale, cut to --crop\n"
                 "  --icon  write the window icon (32 x 32 and 16 x 16)\n"
                 "  --icon-png     write the 32 x 32 icon as a PNG with alpha\n"
                 "  --icon-source  write the 32 x 32 icon as a C++ array of 0xAARRGGBB\n");
}

bool parseCrop(const std::string& text, skinart::Rect& crop) {
    skinart::Rect r;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d", &r.x, &r.y, &r.w, &r.h) != 4) return false;
    if (r.x < 0 || r.y < 0 || r.w <= 0 || r.h <= 0 || r.x + r.w > skinart::kSkinWidth ||
        r.y + r.h > skinart::kSkinHeight)
        return false;
    crop = r;
    return true;
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--out") o.out = value;
        else if (arg == "--png") o.png = value;
        else if (arg == "--icon") o.icon = value;
        else if (arg == "--icon-png") o.iconPng = value;
        else if (arg == "--icon-source") o.iconSource = value;
        else if (arg == "--bpp") o.bpp = std::atoi(value.c_str());
        else if (arg == "--scale") o.scale = std::atoi(value.c_str());
        else if (arg == "--crop") {
            if (!parseCrop(value, o.crop)) return false;
        } else return false;
    }
    const bool bppOk = o.bpp == 1 || o.bpp == 4 || o.bpp == 8 || o.bpp == 24;
    const bool anyOutput = !o.out.empty() || !o.png.empty() || !o.icon.empty() ||
                           !o.iconPng.empty() || !o.iconSource.empty();
    return bppOk && o.scale >= 1 && o.scale <= kMaxScale && anyOutput;
}

// The skin at the requested depth, and the colours the file will hold.
std::vector<uint8_t> encodeSkin(const std::vector<uint32_t>& rgb, int bpp,
                                std::vector<uint32_t>& shown) {
    using namespace skinart;
    if (bpp == 24) {
        shown = rgb;
        return encodeRgbDib(kSkinWidth, kSkinHeight, rgb);
    }
    const std::vector<uint32_t> palette =
        bpp == 1 ? blackAndWhitePalette() : buildPalette(rgb, size_t(1) << bpp);
    const std::vector<uint8_t> indices = mapToPalette(rgb, palette);
    shown.clear();
    for (uint8_t i : indices) shown.push_back(palette[i]);
    return encodeIndexedDib(kSkinWidth, kSkinHeight, bpp, palette, indices);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        usage();
        return 2;
    }
    if (!o.out.empty() || !o.png.empty()) {
        const std::vector<uint32_t> rgb = skinart::drawSkinRgb();
        std::vector<uint32_t> shown;
        const std::vector<uint8_t> file = encodeSkin(rgb, o.bpp, shown);
        if (!o.out.empty() && !skinart::writeFile(o.out, file)) {
            std::fprintf(stderr, "skinart: cannot write %s\n", o.out.c_str());
            return 1;
        }
        if (!o.png.empty() &&
            !skinart::writePng(o.png, shown, skinart::kSkinWidth, o.crop, o.scale)) {
            std::fprintf(stderr, "skinart: cannot write %s\n", o.png.c_str());
            return 1;
        }
    }
    if (!o.icon.empty()) {
        const auto ico = skinart::encodeIco(
            {skinart::drawEmblem(kIconLarge), skinart::drawEmblem(kIconSmall)});
        if (!skinart::writeFile(o.icon, ico)) {
            std::fprintf(stderr, "skinart: cannot write %s\n", o.icon.c_str());
            return 1;
        }
    }
    if (!o.iconPng.empty() && !skinart::writeIconPng(o.iconPng, skinart::drawEmblem(kIconLarge))) {
        std::fprintf(stderr, "skinart: cannot write %s\n", o.iconPng.c_str());
        return 1;
    }
    if (!o.iconSource.empty() &&
        !skinart::writeIconSource(o.iconSource, skinart::drawEmblem(kIconLarge))) {
        std::fprintf(stderr, "skinart: cannot write %s\n", o.iconSource.c_str());
        return 1;
    }
    return 0;
}
