// Loading the skin image "text.dat" into panelDC.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/receiver_state.h"

namespace orv {

constexpr int skinWidth = 430;
constexpr int skinHeight = 344;
constexpr uint32_t skinBlockInitialSize = 1064;  // 40-byte info header + 256 colour entries
constexpr uint32_t readChunkSize = 32768;

// Reads skinFilePath into skinBlock and sets pixelOffset. Shows "Can't open
// data file 1" when the file cannot be opened. False when the load fails.
bool loadSkinFile(App& app);
// Reads count bytes in pieces of at most 32768; count on success, 0 on any short read.
uint32_t readInChunks(Files& files, int handle, uint8_t* dest, uint32_t count);
// Builds the palette, the index table (when needed), panelDC and the skin bitmap from skinBlock.
void createSkinSurface(App& app);
// Creates the logical palette from the colour table of header; false when it cannot be made.
bool createSkinPalette(App& app, const uint8_t* header);
// The header's first 40 bytes followed, at info-header-size, by the identity
// 16-bit indices 0 .. colours-used - 1; empty when colours-used is 0.
std::vector<uint8_t> createPaletteIndexTable(const uint8_t* header);

}  // namespace orv
