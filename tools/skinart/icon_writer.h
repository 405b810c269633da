// The window icon: a small Orvanta emblem written as a Windows .ico file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skinart {

struct IconImage {
    int size = 0;                 // square: size x size
    std::vector<uint32_t> argb;   // 0xAARRGGBB, straight alpha, top row first
};

// The emblem at `size` pixels: a graphite rounded square with a glowing
// amber wave over a dark dial.
IconImage drawEmblem(int size);

// The desktop icon at `size` pixels (kMinDesktopIcon to kMaxDesktopIcon):
// at a multiple of 32 the 32-pixel emblem with each pixel grown to a block,
// so it stays as crisp as drawn; at other sizes the emblem drawn afresh.
// An empty image (size 0) for a size out of range.
constexpr int kMinDesktopIcon = 16;
constexpr int kMaxDesktopIcon = 512;
IconImage desktopIcon(int size);

// An .ico file holding the images as 32-bit BGRA bitmaps with an AND mask
// (set bits where alpha is 0).
std::vector<uint8_t> encodeIco(const std::vector<IconImage>& images);

// The image as a PNG with alpha (the desktop icon). False when it cannot be written.
bool writeIconPng(const std::string& path, const IconImage& image);

// The image as C++ source: orvantaIconSize and orvantaIconArgb[] (0xAARRGGBB,
// top row first), for a program that sets its window icon without an image
// library. False when it cannot be written.
bool writeIconSource(const std::string& path, const IconImage& image);

}  // namespace skinart
