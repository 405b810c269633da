// panelDC and the window's pixels as SDL surfaces. Both have the window's
// pixel format, so every copy is a plain pixel copy: no filtering, no
// conversion between them. At a scale above 1 the window's pixels are
// shown as blocks of scale x scale screen pixels.
#include "platform/sdl2/backend.h"

#include <algorithm>

#include "render/dib.h"

namespace orv::sdl2 {

namespace {

constexpr int skinW = 430, skinH = 344;

Uint32 formatOf(SDL_Window* window) {
    Uint32 format = window ? SDL_GetWindowPixelFormat(window) : Uint32(SDL_PIXELFORMAT_UNKNOWN);
    // Surfaces need a packed format of at least 24 bits to hold the skin's colours exactly.
    if (format == SDL_PIXELFORMAT_UNKNOWN || SDL_BITSPERPIXEL(format) < 24 || SDL_ISPIXELFORMAT_INDEXED(format))
        format = SDL_PIXELFORMAT_RGB888;
    return format;
}

// A surface whose blits replace pixels (never blend, whatever the format's alpha).
SDL_Surface* makeSurface(int w, int h, Uint32 format) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, format);
    if (s) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    return s;
}

SDL_Rect unite(const SDL_Rect& a, const SDL_Rect& b) {
    SDL_Rect r;
    SDL_UnionRect(&a, &b, &r);
    return r;
}

}  // namespace

SdlDisplay::~SdlDisplay() {
    releaseSkin();
    freeClient();
}

void SdlDisplay::attach(SDL_Window* window) {
    window_ = window;
    if (!window) freeClient();
}

void SdlDisplay::freeClient() {
    SDL_FreeSurface(client_);
    client_ = nullptr;
}

bool SdlDisplay::createPalette(const std::vector<PaletteEntry>& entries) {
    palette_ = entries;
    return true;
}

bool SdlDisplay::createPanelSurface() {
    if (panel_) return true;
    panel_ = makeSurface(skinW, skinH, formatOf(window_));
    return panel_ != nullptr;
}

bool SdlDisplay::convertSkin(const uint8_t* info, uint32_t headerSize, const uint8_t* bits, uint32_t bitsSize,
                             bool paletteRelative) {
    if (!panel_) return false;
    std::vector<uint32_t> rgb;
    if (!convertDib(info, headerSize, bits, bitsSize, paletteRelative, palette_, skinW, skinH, rgb)) return false;
    if (SDL_LockSurface(panel_) != 0) return false;
    for (int y = 0; y < skinH; ++y) {
        auto* row = reinterpret_cast<Uint8*>(panel_->pixels) + size_t(y) * panel_->pitch;
        for (int x = 0; x < skinW; ++x) {
            const uint32_t p = rgb[size_t(y) * skinW + x];
            const Uint32 pixel = SDL_MapRGB(panel_->format, Uint8(p >> 16), Uint8(p >> 8), Uint8(p));
            SDL_memcpy(row + size_t(x) * panel_->format->BytesPerPixel, &pixel, panel_->format->BytesPerPixel);
        }
    }
    SDL_UnlockSurface(panel_);
    return true;
}

void SdlDisplay::releaseSkin() {
    SDL_FreeSurface(panel_);
    panel_ = nullptr;
    palette_.clear();
}

// The window's pixels at w x h: what overlaps is kept, the rest is black.
void SdlDisplay::resizeClient(int w, int h) {
    if (!window_ || w <= 0 || h <= 0) return;
    if (client_ && client_->w == w && client_->h == h) return;
    SDL_Surface* next = makeSurface(w, h, formatOf(window_));
    if (!next) return;
    if (client_) {
        SDL_Rect kept{0, 0, std::min(w, client_->w), std::min(h, client_->h)};
        SDL_Rect at = kept;
        SDL_BlitSurface(client_, &kept, next, &at);
    }
    freeClient();
    client_ = next;
}

void SdlDisplay::copy(Target dst, int x, int y, int w, int h, int sx, int sy) {
    if (!panel_ || w <= 0 || h <= 0) return;
    SDL_Rect from{sx, sy, w, h};
    SDL_Rect to{x, y, w, h};
    if (dst == Target::Skin) {
        // A copy within panelDC may overlap itself: go through a copy of the source.
        SDL_Surface* block = makeSurface(w, h, panel_->format->format);
        if (!block) return;
        SDL_Rect whole{0, 0, w, h};
        SDL_FillRect(block, nullptr, 0);
        SDL_BlitSurface(panel_, &from, block, nullptr);
        SDL_BlitSurface(block, &whole, panel_, &to);
        SDL_FreeSurface(block);
        return;
    }
    if (!client_) return;
    SDL_BlitSurface(panel_, &from, client_, &to);
    SDL_Rect shown{x, y, w, h}, bounds{0, 0, client_->w, client_->h}, clipped;
    if (!SDL_IntersectRect(&shown, &bounds, &clipped)) return;
    if (draws_ > 0) {
        dirtyRect_ = dirty_ ? unite(dirtyRect_, clipped) : clipped;
        dirty_ = true;
    } else {
        present(clipped);
    }
}

void SdlDisplay::beginWindowDraw() { ++draws_; }

void SdlDisplay::endWindowDraw() {
    if (draws_ == 0 || --draws_ > 0) return;
    if (dirty_) present(dirtyRect_);
    dirty_ = false;
}

namespace {

// Rectangle r of the window's pixels, each pixel as a scale x scale block,
// in a new surface of the same format; null when none could be made.
SDL_Surface* blockCopy(SDL_Surface* from, const SDL_Rect& r, int scale) {
    SDL_Surface* big = makeSurface(r.w * scale, r.h * scale, from->format->format);
    if (!big) return nullptr;
    if (SDL_LockSurface(from) != 0 || SDL_LockSurface(big) != 0) {
        SDL_UnlockSurface(from);
        SDL_FreeSurface(big);
        return nullptr;
    }
    const int bytes = from->format->BytesPerPixel;
    const size_t rowBytes = size_t(big->w) * bytes;
    for (int y = 0; y < r.h; ++y) {
        const auto* src = static_cast<const Uint8*>(from->pixels) + size_t(r.y + y) * from->pitch + size_t(r.x) * bytes;
        auto* first = static_cast<Uint8*>(big->pixels) + size_t(y) * scale * big->pitch;
        for (int x = 0; x < r.w; ++x)
            for (int k = 0; k < scale; ++k) SDL_memcpy(first + (size_t(x) * scale + k) * bytes, src + size_t(x) * bytes, bytes);
        for (int k = 1; k < scale; ++k) SDL_memcpy(first + size_t(k) * big->pitch, first, rowBytes);
    }
    SDL_UnlockSurface(big);
    SDL_UnlockSurface(from);
    return big;
}

}  // namespace

void SdlDisplay::present(const SDL_Rect& r) {
    if (!window_ || !client_) return;
    SDL_Surface* screen = SDL_GetWindowSurface(window_);
    if (!screen) return;
    SDL_Rect to{r.x * scale_, r.y * scale_, r.w * scale_, r.h * scale_};
    if (scale_ == 1) {
        SDL_Rect from = r;
        SDL_BlitSurface(client_, &from, screen, &to);
    } else if (SDL_Surface* blocks = blockCopy(client_, r, scale_)) {
        SDL_BlitSurface(blocks, nullptr, screen, &to);
        SDL_FreeSurface(blocks);
    }
    SDL_Rect shown{r.x * scale_, r.y * scale_, r.w * scale_, r.h * scale_};
    SDL_Rect bounds{0, 0, screen->w, screen->h}, clipped;
    if (SDL_IntersectRect(&shown, &bounds, &clipped)) SDL_UpdateWindowSurfaceRects(window_, &clipped, 1);
}

void SdlDisplay::presentAll() {
    if (client_) present(SDL_Rect{0, 0, client_->w, client_->h});
}

bool SdlDisplay::openScreen() {
    screenOpen_ = true;
    return true;
}

void SdlDisplay::closeScreen() { screenOpen_ = false; }

}  // namespace orv::sdl2
