// Loading the skin image "text.dat" into panelDC.
//
// The file is a device-independent bitmap file: a 14-byte file header, an
// info header, the colour table at offset 54 and the pixel rows. Whatever its
// header says, the image is taken as 430 x 344. skinBlock ends up holding the
// info header (info-header-size bytes, the first 40 from the file), the colour
// table and the pixel rows, in that order.
//
// Every figure of the header is checked before skinBlock is grown and before
// anything is converted: a header that would make the conversion read past
// the pixel rows or the colour table fails the load, as a short file does.
#include "render/skin_loader.h"

#include <cstring>

namespace orv {

namespace {

constexpr uint32_t fileHeaderSize = 14;
constexpr uint32_t fileHeaderPixelOffset = 10;  // offset of the pixel rows in the file
constexpr uint32_t infoHeaderReadSize = 40;     // the part of the info header that is read

// Fields of the info header.
constexpr uint32_t infoSizeField = 0;
constexpr uint32_t widthField = 4;
constexpr uint32_t heightField = 8;
constexpr uint32_t bitCountField = 14;
constexpr uint32_t compressionField = 16;
constexpr uint32_t imageSizeField = 20;
constexpr uint32_t coloursUsedField = 32;

constexpr uint32_t coreHeaderSize = 12;  // the old, short header, which the loader refuses
// Info headers run from 40 bytes (the plain header) to 124 (the fifth
// version); anything beyond 4096 bytes is not a bitmap header.
constexpr uint32_t maxInfoHeaderSize = 4096;
constexpr uint32_t compressionNone = 0;  // BI_RGB: plain rows
constexpr uint32_t colourEntrySize = 4;  // blue, green, red, reserved
constexpr uint32_t indexEntrySize = 2;   // 16-bit palette index
// A skin's colour table holds at most 256 entries: the block window creation
// allocates has room for exactly that many, and the offset of the pixel rows
// must stay within 16 bits.
constexpr uint32_t maxColourCount = 256;
// The largest image the panel can use is 430 x 344 at 24 bits, 444,448
// bytes. A file may declare more (rows the panel never shows), but an image
// beyond 4 MiB cannot be a skin; it is refused before skinBlock is grown.
constexpr uint32_t maxImageSize = 4u * 1024 * 1024;

uint16_t getU16(const uint8_t* p, uint32_t at) { return uint16_t(p[at] | p[at + 1] << 8); }

uint32_t getU32(const uint8_t* p, uint32_t at) {
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
}

void putU32(uint8_t* p, uint32_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[at + i] = uint8_t(value >> (8 * i));
}

// The depths the pixel conversion understands.
bool isConvertibleDepth(uint32_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

// Bytes of one pixel row of the skin, padded to a multiple of 4.
uint32_t skinRowBytes(uint32_t bitCount) { return (bitCount * skinWidth + 31) / 32 * 4; }

// The colour count: the low 16 bits of colours-used when they are non-zero;
// otherwise none for 24 bits per pixel, else 2 to the power of the depth
// (in 16 bits, so 16 bits per pixel give 0 and 32 give 1).
uint32_t colourCountOf(uint32_t coloursUsed, uint32_t bitCount) {
    uint16_t low = uint16_t(coloursUsed & 0xFFFF);
    if (low != 0) return low;
    if (bitCount == 24) return 0;
    return uint16_t(1u << (bitCount & 31));
}

// Checks the info header before anything is allocated or converted.
bool isAcceptableHeader(uint32_t infoSize, uint32_t bitCount, uint32_t compression,
                        uint32_t coloursUsed, uint32_t imageSize) {
    if (infoSize == coreHeaderSize || infoSize < infoHeaderReadSize || infoSize > maxInfoHeaderSize)
        return false;
    if (!isConvertibleDepth(bitCount) || compression != compressionNone) return false;
    if (coloursUsed > maxColourCount) return false;
    if (imageSize > maxImageSize) return false;
    return imageSize >= skinRowBytes(bitCount) * skinHeight;
}

// A block that the loader filled: the header is sound and the table and the
// pixel rows lie inside it.
bool isLoadedSkinBlock(const ReceiverState& state) {
    const std::vector<uint8_t>& block = state.skinBlock;
    if (block.size() < infoHeaderReadSize) return false;
    const uint8_t* h = block.data();
    uint32_t infoSize = getU32(h, infoSizeField);
    uint32_t coloursUsed = getU32(h, coloursUsedField);
    uint32_t imageSize = getU32(h, imageSizeField);
    if (!isAcceptableHeader(infoSize, getU16(h, bitCountField), getU32(h, compressionField),
                            coloursUsed, imageSize))
        return false;
    if (state.pixelOffset < infoSize + coloursUsed * colourEntrySize) return false;
    return uint64_t(state.pixelOffset) + imageSize <= block.size();
}

void showError(App& app, const char* text) {
    app.platform.dialogs.messageBox(text, "Error", BoxKind::ErrorOk);
}

// The body of loadSkinFile once the file is open; the caller closes it.
bool readSkin(App& app, int file) {
    Files& files = app.platform.files;
    ReceiverState& state = app.state;

    uint8_t fileHeader[fileHeaderSize];
    uint8_t info[infoHeaderReadSize];
    if (files.read(file, fileHeader, fileHeaderSize) != int32_t(fileHeaderSize)) return false;
    if (files.read(file, info, infoHeaderReadSize) != int32_t(infoHeaderReadSize)) return false;

    uint32_t infoSize = getU32(info, infoSizeField);
    uint32_t bitCount = getU16(info, bitCountField);
    uint32_t coloursUsed = getU32(info, coloursUsedField);
    uint32_t imageSize = getU32(info, imageSizeField);
    uint32_t colourCount = colourCountOf(coloursUsed, bitCount);

    putU32(info, widthField, skinWidth);
    putU32(info, heightField, skinHeight);
    if (coloursUsed == 0) coloursUsed = colourCount;
    if (imageSize == 0) imageSize = skinRowBytes(bitCount) * skinHeight;
    putU32(info, coloursUsedField, coloursUsed);
    putU32(info, imageSizeField, imageSize);

    if (!isAcceptableHeader(infoSize, bitCount, getU32(info, compressionField), coloursUsed,
                            imageSize))
        return false;

    // Within the limits above the sum stays far below 2^32 and the table
    // end below 2^16.
    uint32_t tableBytes = colourCount * colourEntrySize;
    state.skinBlock.assign(size_t(infoSize) + imageSize + tableBytes, 0);
    std::memcpy(state.skinBlock.data(), info, infoHeaderReadSize);

    // The colour table follows the 40 bytes just read (file offset 54),
    // whatever the header size says. A short table leaves the rest zero; the
    // pixel read decides the result.
    if (tableBytes != 0) files.read(file, state.skinBlock.data() + infoSize, tableBytes);
    state.pixelOffset = uint16_t(infoSize + tableBytes);

    uint32_t pixelStart = getU32(fileHeader, fileHeaderPixelOffset);
    if (pixelStart != 0 && !files.seek(file, pixelStart)) return false;
    return readInChunks(files, file, state.skinBlock.data() + state.pixelOffset, imageSize) ==
           imageSize;
}

}  // namespace

bool loadSkinFile(App& app) {
    // The path lives in a 128-byte buffer; one without its terminator there
    // is not a path.
    const char* path = app.state.skinFilePath;
    int file = -1;
    if (memchr(path, '\0', sizeof app.state.skinFilePath) != nullptr)
        file = app.platform.files.open(path);
    if (file < 0) {
        showError(app, "Can't open data file 1");
        return false;
    }
    bool loaded = readSkin(app, file);
    app.platform.files.close(file);
    return loaded;
}

uint32_t readInChunks(Files& files, int handle, uint8_t* dest, uint32_t count) {
    uint32_t remaining = count;
    while (remaining > readChunkSize) {
        if (files.read(handle, dest, readChunkSize) != int32_t(readChunkSize)) return 0;
        dest += readChunkSize;
        remaining -= readChunkSize;
    }
    return files.read(handle, dest, remaining) == int32_t(remaining) ? count : 0;
}

void createSkinSurface(App& app) {
    ReceiverState& state = app.state;
    Display& display = app.platform.display;
    // Only a block that the loader filled is converted.
    if (!isLoadedSkinBlock(state)) return;

    const uint8_t* header = state.skinBlock.data();
    uint32_t infoSize = getU32(header, infoSizeField);
    uint32_t bitCount = getU16(header, bitCountField);
    uint32_t imageSize = getU32(header, imageSizeField);
    const uint8_t* convertHeader = header;
    bool paletteRelative = false;

    if (getU32(header, coloursUsedField) != 0) {
        if (!state.skinPalette) {
            if (!createSkinPalette(app, header)) {
                showError(app, "Can't create palette");
                return;
            }
            state.skinPalette = true;
        }
        if (bitCount != 24) {
            if (state.paletteIndexTable.empty()) {
                state.paletteIndexTable = createPaletteIndexTable(header);
                if (state.paletteIndexTable.empty()) {
                    showError(app, "Can't create Indexed color table");
                    return;
                }
            }
            convertHeader = state.paletteIndexTable.data();
            paletteRelative = true;
        }
    }

    if (!display.createPanelSurface()) {
        app.platform.dialogs.messageBox("Error 824232", "Insufficient Memory", BoxKind::PlainOk);
        app.platform.window.postQuit(0);
        return;
    }
    state.panelSurface = true;
    display.convertSkin(convertHeader, infoSize, header + state.pixelOffset, imageSize,
                        paletteRelative);
}

bool createSkinPalette(App& app, const uint8_t* header) {
    uint32_t count = getU16(header, coloursUsedField);
    const uint8_t* table = header + getU32(header, infoSizeField);
    std::vector<PaletteEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* quad = table + i * colourEntrySize;
        entries[i].red = quad[2];
        entries[i].green = quad[1];
        entries[i].blue = quad[0];
    }
    return app.platform.display.createPalette(entries);
}

std::vector<uint8_t> createPaletteIndexTable(const uint8_t* header) {
    uint32_t infoSize = getU32(header, infoSizeField);
    uint32_t coloursUsed = getU32(header, coloursUsedField);
    // A table beyond the limits of a skin would be absurd to allocate.
    if (coloursUsed == 0 || coloursUsed > maxColourCount || infoSize < infoHeaderReadSize ||
        infoSize > maxInfoHeaderSize)
        return {};
    std::vector<uint8_t> table(size_t(infoSize) + coloursUsed * indexEntrySize, 0);
    std::memcpy(table.data(), header, infoHeaderReadSize);
    for (uint32_t i = 0; i < coloursUsed; ++i) {
        table[infoSize + i * indexEntrySize] = uint8_t(i & 0xFF);
        table[infoSize + i * indexEntrySize + 1] = uint8_t(i >> 8);
    }
    return table;
}

}  // namespace orv
