// panelDC on GDI: the skin palette, the device-compatible skin bitmap, the
// copies out of it and the inverted drag outline on the screen.
#include "platform/win32/backend.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orv::win32 {

namespace {

const int skinW = 430, skinH = 344;

HWND panel() {
    return session().hwnd;
}

// A clean BITMAPINFO for SetDIBits: the 40-byte header (whatever size the file
// named), the skin's size, and a colour table padded to the full 2^bpp entries
// with entry 0, so that an index beyond the table draws as colour 0.
std::vector<uint8_t> conversionHeader(const uint8_t* info, uint32_t headerSize,
                                      bool paletteRelative) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, info, sizeof h);
    h.biSize = sizeof h;
    h.biWidth = skinW;
    h.biHeight = skinH;
    const uint32_t entrySize = paletteRelative ? 2 : 4;
    uint32_t full = h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
    uint32_t given = h.biClrUsed & 0xFFFF;
    if (given == 0) given = full;
    given = std::min(given, full);
    h.biClrUsed = full;
    std::vector<uint8_t> out(sizeof h + size_t(full) * entrySize, 0);
    std::memcpy(out.data(), &h, sizeof h);
    const uint8_t* table = info + headerSize;
    std::memcpy(out.data() + sizeof h, table, size_t(given) * entrySize);
    for (uint32_t i = given; i < full; ++i) {
        const uint8_t* first = given ? table : out.data() + sizeof h;
        std::memcpy(out.data() + sizeof h + size_t(i) * entrySize, first, entrySize);
    }
    return out;
}

}  // namespace

bool GdiDisplay::createPalette(const std::vector<PaletteEntry>& entries) {
    if (palette_) return true;
    std::vector<uint8_t> record(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        lp->palPalEntry[i] = PALETTEENTRY{entries[i].red, entries[i].green, entries[i].blue, 0};
    palette_ = CreatePalette(lp);
    if (!palette_) return false;
    if (panel()) {
        HDC dc = GetDC(panel());
        SelectPalette(dc, palette_, FALSE);
        RealizePalette(dc);
        ReleaseDC(panel(), dc);
    }
    return true;
}

bool GdiDisplay::createPanelSurface() {
    if (panelDC_) return true;
    if (!panel()) return false;
    HDC dc = GetDC(panel());
    panelDC_ = CreateCompatibleDC(dc);
    if (panelDC_) skinBitmap_ = CreateCompatibleBitmap(dc, skinW, skinH);  // the display's format
    ReleaseDC(panel(), dc);
    return panelDC_ != nullptr;
}

// SetDIBits wants the bitmap out of any context, so it is selected into
// panelDC only after the conversion.
void GdiDisplay::selectSkinBitmap(bool selected) {
    if (!panelDC_ || !skinBitmap_ || selected == (oldBitmap_ != nullptr)) return;
    if (selected) {
        oldBitmap_ = SelectObject(panelDC_, skinBitmap_);
    } else {
        SelectObject(panelDC_, oldBitmap_);
        oldBitmap_ = nullptr;
    }
}

bool GdiDisplay::convertSkin(const uint8_t* info, uint32_t headerSize, const uint8_t* bits,
                             uint32_t bitsSize, bool paletteRelative) {
    if (!panelDC_ || !skinBitmap_ || !panel()) return false;
    std::vector<uint8_t> header = conversionHeader(info, headerSize, paletteRelative);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
    const BITMAPINFOHEADER& h = bmi->bmiHeader;
    if (h.biCompression != BI_RGB && h.biCompression != BI_RLE8 && h.biCompression != BI_RLE4)
        return false;
    std::vector<uint8_t> rows;  // the rows, padded with zeros when the data is short
    if (h.biCompression == BI_RGB) {
        size_t need = size_t((h.biBitCount * skinW + 31) / 32) * 4 * skinH;
        if (bitsSize < need) {
            rows.assign(need, 0);
            std::memcpy(rows.data(), bits, bitsSize);
            bits = rows.data();
        }
    } else {
        bmi->bmiHeader.biSizeImage = bitsSize;
    }
    selectSkinBitmap(false);
    HDC dc = GetDC(panel());
    HPALETTE oldPalette = palette_ ? SelectPalette(dc, palette_, FALSE) : nullptr;
    if (palette_) RealizePalette(dc);  // palette-relative indices resolve against it
    int lines = SetDIBits(dc, skinBitmap_, 0, skinH, bits, bmi,
                          paletteRelative ? DIB_PAL_COLORS : DIB_RGB_COLORS);
    if (oldPalette) SelectPalette(dc, oldPalette, FALSE);
    ReleaseDC(panel(), dc);
    selectSkinBitmap(true);
    return lines > 0;
}

void GdiDisplay::releaseSkin() {
    selectSkinBitmap(false);
    if (panelDC_) DeleteDC(panelDC_);
    if (skinBitmap_) DeleteObject(skinBitmap_);
    if (palette_) DeleteObject(palette_);
    panelDC_ = nullptr;
    skinBitmap_ = nullptr;
    palette_ = nullptr;
}

void GdiDisplay::copy(Target dst, int x, int y, int w, int h, int sx, int sy) {
    if (!panelDC_) return;
    if (dst == Target::Skin) {
        BitBlt(panelDC_, x, y, w, h, panelDC_, sx, sy, SRCCOPY);
        return;
    }
    if (!panel()) return;
    bool own = windowDC_ == nullptr;
    HDC dc = own ? GetDC(panel()) : windowDC_;
    if (scale_ == 1) {
        BitBlt(dc, x, y, w, h, panelDC_, sx, sy, SRCCOPY);
    } else {
        // Whole-number enlargement: every pixel becomes a block, nothing is blended.
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x * scale_, y * scale_, w * scale_, h * scale_, panelDC_, sx, sy, w, h, SRCCOPY);
        if (oldMode) SetStretchBltMode(dc, oldMode);
    }
    if (own) ReleaseDC(panel(), dc);
}

void GdiDisplay::beginWindowDraw() {
    if (windowDraws_++ == 0 && panel()) {
        windowDCOwner_ = panel();
        windowDC_ = GetDC(windowDCOwner_);
    }
}

void GdiDisplay::endWindowDraw() {
    if (windowDraws_ == 0 || --windowDraws_ > 0) return;
    if (windowDC_) ReleaseDC(windowDCOwner_, windowDC_);
    windowDC_ = nullptr;
    windowDCOwner_ = nullptr;
}

bool GdiDisplay::openScreen() {
    if (!screenDC_) screenDC_ = GetDC(nullptr);
    return screenDC_ != nullptr;
}

void GdiDisplay::invertScreen(int x, int y, int w, int h) {
    if (screenDC_) PatBlt(screenDC_, x, y, w, h, DSTINVERT);
}

void GdiDisplay::closeScreen() {
    if (screenDC_) ReleaseDC(nullptr, screenDC_);
    screenDC_ = nullptr;
}

}  // namespace orv::win32
