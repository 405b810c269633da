// skinart: draws the panel skin and writes it as a device-independent
// bitmap (and, on request, as a PNG picture and the window icon).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "artwork.h"
#include "dib_writer.h"
#include "face_map.h"
#include "icon_writer.h"
#include "png_export.h"
#include "quantize.h"

namespace {

constexpr int kIconLarge = 32;
constexpr int kIconSmall = 16;
constexpr int kMaxScale = 16;

struct Options {
    std::string out, png, icon, iconPng, iconSource, faceMap;
    int bpp = 8;
    int scale = 1;
    int iconSize = kIconLarge;  // of --icon-png
    skinart::DibLayout layout;
    bool bitfields = false;      // 32 bits: BI_BITFIELDS instead of plain rows
    bool rgb555 = false;         // 16 bits: 5-5-5 instead of 5-6-5
    bool shippedColours = false; // 16, 24, 32 bits: the 256 colours of the shipped skin
    skinart::Rect crop{0, 0, skinart::kSkinWidth, skinart::kSkinHeight};
};

void usage() {
    std::fprintf(stderr,
                 "usage: skinart [--out FILE] [--bpp 1|4|8|16|24|32] [--header 40|108|124]\n"
                 "               [--top-down] [--bitfields] [--rgb555] [--shipped-colours]\n"
                 "               [--png FILE [--scale N] [--crop X,Y,W,H]] [--icon FILE]\n"
                 "               [--icon-png FILE] [--icon-source FILE] [--face-map FILE]\n"
                 "  --out   write the 430 x 344 skin bitmap (8 bits per pixel by default)\n"
                 "  --header, --top-down  the info header size and row order of --out\n"
                 "  --bitfields  32 bits with colour masks; --rgb555  16 bits as 5-5-5 (else 5-6-5)\n"
                 "  --shipped-colours  16, 24 or 32 bits in the 256 colours of the 8-bit skin\n"
                 "  --png   also write a picture of it, blown up by --scale, cut to --crop\n"
                 "  --icon  write the window icon (32 x 32 and 16 x 16)\n"
                 "  --icon-png     write the icon as a PNG with alpha, 32 x 32 or --icon-size N\n"
                 "  --icon-size    16 to 512: multiples of 32 grow the 32 x 32 icon in pixel blocks,\n"
                 "                 other sizes are drawn at that size\n"
                 "  --icon-source  write the 32 x 32 icon as a C++ array of 0xAARRGGBB\n"
                 "  --face-map  write the face with its parts numbered and named (for the manual)\n");
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
        if (arg == "--top-down") { o.layout.topDown = true; continue; }
        if (arg == "--bitfields") { o.bitfields = true; continue; }
        if (arg == "--rgb555") { o.rgb555 = true; continue; }
        if (arg == "--shipped-colours") { o.shippedColours = true; continue; }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--out") o.out = value;
        else if (arg == "--png") o.png = value;
        else if (arg == "--icon") o.icon = value;
        else if (arg == "--icon-png") o.iconPng = value;
        else if (arg == "--icon-source") o.iconSource = value;
        else if (arg == "--face-map") o.faceMap = value;
        else if (arg == "--bpp") o.bpp = std::atoi(value.c_str());
        else if (arg == "--scale") o.scale = std::atoi(value.c_str());
        else if (arg == "--icon-size") o.iconSize = std::atoi(value.c_str());
        else if (arg == "--header") o.layout.infoHeaderSize = std::atoi(value.c_str());
        else if (arg == "--crop") {
            if (!parseCrop(value, o.crop)) return false;
        } else return false;
    }
    const bool bppOk = o.bpp == 1 || o.bpp == 4 || o.bpp == 8 || o.bpp == 16 || o.bpp == 24 ||
                       o.bpp == 32;
    const int header = o.layout.infoHeaderSize;
    if (header != skinart::kInfoHeaderSize && header != skinart::kV4HeaderSize &&
        header != skinart::kV5HeaderSize)
        return false;
    const bool anyOutput = !o.out.empty() || !o.png.empty() || !o.icon.empty() ||
                           !o.iconPng.empty() || !o.iconSource.empty() || !o.faceMap.empty();
    const bool iconSizeOk = o.iconSize >= skinart::kMinDesktopIcon && o.iconSize <= skinart::kMaxDesktopIcon;
    return bppOk && iconSizeOk && o.scale >= 1 && o.scale <= kMaxScale && anyOutput;
}

// The skin at the requested depth and layout, and the colours the file will hold.
std::vector<uint8_t> encodeSkin(const std::vector<uint32_t>& drawn, const Options& o,
                                std::vector<uint32_t>& shown) {
    using namespace skinart;
    constexpr size_t kShippedColours = 256;
    std::vector<uint32_t> rgb = drawn;
    if (o.shippedColours) {
        const std::vector<uint32_t> palette = buildPalette(drawn, kShippedColours);
        rgb.clear();
        for (uint8_t i : mapToPalette(drawn, palette)) rgb.push_back(palette[i]);
    }
    if (o.bpp >= 16) {
        shown = rgb;
        if (o.bpp == 24) return encodeRgbDib(kSkinWidth, kSkinHeight, rgb, o.layout);
        DirectFormat format = o.bitfields ? DirectFormat::Bitfields32 : DirectFormat::Rgb32;
        if (o.bpp == 16) format = o.rgb555 ? DirectFormat::Bitfields555 : DirectFormat::Bitfields565;
        return encodeDirectDib(kSkinWidth, kSkinHeight, rgb, format, o.layout);
    }
    const std::vector<uint32_t> palette =
        o.bpp == 1 ? blackAndWhitePalette() : buildPalette(rgb, size_t(1) << o.bpp);
    const std::vector<uint8_t> indices = mapToPalette(rgb, palette);
    shown.clear();
    for (uint8_t i : indices) shown.push_back(palette[i]);
    return encodeIndexedDib(kSkinWidth, kSkinHeight, o.bpp, palette, indices, o.layout);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        usage();
        return 2;
    }
    if (!o.out.empty() || !o.png.empty() || !o.faceMap.empty()) {
        const std::vector<uint32_t> rgb = skinart::drawSkinRgb();
        std::vector<uint32_t> shown;
        const std::vector<uint8_t> file = encodeSkin(rgb, o, shown);
        if (!o.out.empty() && !skinart::writeFile(o.out, file)) {
            std::fprintf(stderr, "skinart: cannot write %s\n", o.out.c_str());
            return 1;
        }
        if (!o.png.empty() &&
            !skinart::writePng(o.png, shown, skinart::kSkinWidth, o.crop, o.scale)) {
            std::fprintf(stderr, "skinart: cannot write %s\n", o.png.c_str());
            return 1;
        }
        if (!o.faceMap.empty() && !skinart::writeFaceMap(o.faceMap, shown)) {
            std::fprintf(stderr, "skinart: cannot write %s\n", o.faceMap.c_str());
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
    if (!o.iconPng.empty() && !skinart::writeIconPng(o.iconPng, skinart::desktopIcon(o.iconSize))) {
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
