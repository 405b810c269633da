// Loading the skin image "text.dat" into panelDC.
//
// The file is a device-independent bitmap file: a 14-byte file header, an
// info header (40 bytes, or up to 124 as today's editors write them), the
// colour masks of a bitfield image, the colour table right after those, and
// the pixel rows. Whatever its header says, the image is taken as 430 x 344.
// skinBlock ends up holding the info header (info-header-size bytes, the
// first 40 from the file), the colour table and the pixel rows, in that
// order, always as bottom-up rows of 1, 4, 8 or 24 bits: top-down files are
// turned the right way up and 16- and 32-bit pixels become 24-bit ones, so
// that the conversion into panelDC sees one kind of image on every system.
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
constexpr uint32_t planesField = 12;
constexpr uint32_t bitCountField = 14;
constexpr uint32_t compressionField = 16;
constexpr uint32_t imageSizeField = 20;
constexpr uint32_t coloursUsedField = 32;

constexpr uint32_t coreHeaderSize = 12;  // the old, short header, which the loader refuses
// Info headers run from 40 bytes (the plain header) to 124 (the fifth
// version); anything beyond 4096 bytes is not a bitmap header.
constexpr uint32_t maxInfoHeaderSize = 4096;
// Headers from 52 bytes on hold the red, green and blue masks themselves;
// after a shorter one the masks follow it, ahead of the colour table.
constexpr uint32_t maskedHeaderSize = 52;
constexpr uint32_t maskBytes = 12;
constexpr uint32_t compressionNone = 0;       // BI_RGB: plain rows
constexpr uint32_t compressionBitfields = 3;  // BI_BITFIELDS: 16 or 32 bits with colour masks
constexpr uint32_t colourEntrySize = 4;  // blue, green, red, reserved
constexpr uint32_t indexEntrySize = 2;   // 16-bit palette index
// A skin's colour table holds at most 256 entries: the block window creation
// allocates has room for exactly that many, and the offset of the pixel rows
// must stay within 16 bits.
constexpr uint32_t maxColourCount = 256;
// The largest image the panel can use is 430 x 344 at 32 bits, 591,680
// bytes. A file may declare more (rows the panel never shows), but an image
// beyond 4 MiB cannot be a skin; it is refused before skinBlock is grown.
constexpr uint32_t maxImageSize = 4u * 1024 * 1024;
constexpr uint32_t directDepth = 24;  // the depth 16- and 32-bit pixels are stored at

uint16_t getU16(const uint8_t* p, uint32_t at) { return uint16_t(p[at] | p[at + 1] << 8); }

uint32_t getU32(const uint8_t* p, uint32_t at) {
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
}

void putU16(uint8_t* p, uint32_t at, uint32_t value) {
    for (int i = 0; i < 2; ++i) p[at + i] = uint8_t(value >> (8 * i));
}

void putU32(uint8_t* p, uint32_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[at + i] = uint8_t(value >> (8 * i));
}

// The depths the pixel conversion understands.
bool isConvertibleDepth(uint32_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

// Depths whose pixels carry their colour through masks; stored as 24 bits.
bool isMaskedDepth(uint32_t bitCount) { return bitCount == 16 || bitCount == 32; }

// Bytes of one pixel row of the skin, padded to a multiple of 4.
uint32_t skinRowBytes(uint32_t bitCount) { return (bitCount * skinWidth + 31) / 32 * 4; }

// The colour count: the low 16 bits of colours-used when they are non-zero;
// otherwise none for 16, 24 and 32 bits per pixel, else 2 to the power of the depth.
uint32_t colourCountOf(uint32_t coloursUsed, uint32_t bitCount) {
    uint16_t low = uint16_t(coloursUsed & 0xFFFF);
    if (low != 0) return low;
    if (bitCount >= 16) return 0;
    return 1u << bitCount;
}

// One colour channel of a 16- or 32-bit pixel: its mask, where the mask
// starts and how many bits wide it is.
struct Channel {
    uint32_t mask = 0;
    int shift = 0, bits = 0;

    // False for a mask that is empty or not one run of bits.
    bool set(uint32_t m) {
        mask = m;
        if (m == 0) return false;
        shift = 0;
        while (!((m >> shift) & 1)) ++shift;
        uint32_t run = m >> shift;
        bits = 0;
        while (run & 1) {
            run >>= 1;
            ++bits;
        }
        return run == 0;
    }
    // The channel's value widened or cut to 8 bits; short channels repeat
    // their bits (5 bits v become v << 3 | v >> 2), so full scale stays full.
    uint8_t of(uint32_t pixel) const {
        uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return uint8_t(v >> (bits - 8));
        uint32_t out = 0;
        int filled = 0;
        while (filled < 8) {
            out = out << bits | v;
            filled += bits;
        }
        return uint8_t(out >> (filled - 8));
    }
};

struct ColourMasks {
    Channel red, green, blue;
};

// The masks of a 16- or 32-bit image: from the file for bitfields, else the
// fixed ones (5-5-5 for 16 bits, 8-8-8 for 32). False for masks that are not
// three runs of bits within the pixel.
bool colourMasksOf(uint32_t bitCount, uint32_t compression, const uint8_t* fileMasks,
                   ColourMasks& out) {
    uint32_t r = 0xFF0000, g = 0xFF00, b = 0xFF;
    if (bitCount == 16) r = 0x7C00, g = 0x3E0, b = 0x1F;
    if (compression == compressionBitfields)
        r = getU32(fileMasks, 0), g = getU32(fileMasks, 4), b = getU32(fileMasks, 8);
    const uint64_t pixelRange = uint64_t(1) << bitCount;
    if (r >= pixelRange || g >= pixelRange || b >= pixelRange) return false;
    return out.red.set(r) && out.green.set(g) && out.blue.set(b);
}

// Checks the info header before anything is allocated or converted.
// bitCount is the file's depth; imageSize what the file's rows take.
bool isAcceptableHeader(uint32_t infoSize, uint32_t bitCount, uint32_t compression,
                        uint32_t coloursUsed, uint32_t imageSize) {
    if (infoSize == coreHeaderSize || infoSize < infoHeaderReadSize || infoSize > maxInfoHeaderSize)
        return false;
    if (isMaskedDepth(bitCount)) {
        if (compression != compressionNone && compression != compressionBitfields) return false;
    } else if (!isConvertibleDepth(bitCount) || compression != compressionNone) {
        return false;
    }
    if (coloursUsed > maxColourCount) return false;
    if (imageSize > maxImageSize) return false;
    return imageSize >= skinRowBytes(bitCount) * skinHeight;
}

// Turns 344 rows of 16- or 32-bit pixels into 24-bit rows (blue, green, red).
void convertMaskedRows(const uint8_t* rows, uint32_t bitCount, const ColourMasks& masks,
                       uint8_t* out) {
    const uint32_t inRow = skinRowBytes(bitCount), outRow = skinRowBytes(directDepth);
    const uint32_t pixelBytes = bitCount / 8;
    for (int y = 0; y < skinHeight; ++y) {
        const uint8_t* in = rows + size_t(y) * inRow;
        uint8_t* dest = out + size_t(y) * outRow;
        for (int x = 0; x < skinWidth; ++x) {
            const uint8_t* p = in + size_t(x) * pixelBytes;
            const uint32_t pixel = pixelBytes == 2 ? getU16(p, 0) : getU32(p, 0);
            dest[3 * x] = masks.blue.of(pixel);
            dest[3 * x + 1] = masks.green.of(pixel);
            dest[3 * x + 2] = masks.red.of(pixel);
        }
    }
}

// Swaps the 344 rows of a top-down image so that the last comes first.
void turnRowsUp(uint8_t* rows, uint32_t rowBytes) {
    std::vector<uint8_t> spare(rowBytes);
    for (int top = 0, bottom = skinHeight - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = rows + size_t(top) * rowBytes;
        uint8_t* b = rows + size_t(bottom) * rowBytes;
        std::memcpy(spare.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, spare.data(), rowBytes);
    }
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

    const uint32_t infoSize = getU32(info, infoSizeField);
    const uint32_t bitCount = getU16(info, bitCountField);
    const uint32_t compression = getU32(info, compressionField);
    const bool topDown = int32_t(getU32(info, heightField)) < 0;
    uint32_t coloursUsed = getU32(info, coloursUsedField);
    uint32_t imageSize = getU32(info, imageSizeField);
    const uint32_t colourCount = colourCountOf(coloursUsed, bitCount);

    // The system's own conversion refuses anything but one plane.
    if (getU16(info, planesField) != 1) return false;

    if (coloursUsed == 0) coloursUsed = colourCount;
    if (imageSize == 0) imageSize = skinRowBytes(bitCount) * skinHeight;
    if (!isAcceptableHeader(infoSize, bitCount, compression, coloursUsed, imageSize)) return false;

    // Where the masks and the colour table lie in the file.
    const bool masksInHeader = infoSize >= maskedHeaderSize;
    const uint32_t headerEnd = fileHeaderSize + infoSize;
    const bool bitfields = compression == compressionBitfields;
    const uint32_t tableStart = headerEnd + (bitfields && !masksInHeader ? maskBytes : 0);

    ColourMasks masks;
    const bool masked = isMaskedDepth(bitCount);
    if (masked) {
        uint8_t fileMasks[maskBytes] = {};
        if (bitfields) {
            const uint32_t maskStart = masksInHeader ? fileHeaderSize + infoHeaderReadSize : headerEnd;
            if (!files.seek(file, maskStart) ||
                files.read(file, fileMasks, maskBytes) != int32_t(maskBytes))
                return false;
        }
        if (!colourMasksOf(bitCount, compression, fileMasks, masks)) return false;
    }

    // What skinBlock holds: 24-bit rows in place of 16- and 32-bit ones.
    const uint32_t blockDepth = masked ? directDepth : bitCount;
    const uint32_t blockImageSize = masked ? skinRowBytes(directDepth) * skinHeight : imageSize;
    putU32(info, widthField, skinWidth);
    putU32(info, heightField, skinHeight);
    putU16(info, bitCountField, blockDepth);
    putU32(info, compressionField, compressionNone);
    putU32(info, coloursUsedField, coloursUsed);
    putU32(info, imageSizeField, blockImageSize);

    // Within the limits above the sum stays far below 2^32 and the table
    // end below 2^16.
    const uint32_t tableBytes = colourCount * colourEntrySize;
    state.skinBlock.assign(size_t(infoSize) + blockImageSize + tableBytes, 0);
    std::memcpy(state.skinBlock.data(), info, infoHeaderReadSize);

    // The colour table follows the whole info header (and the masks after a
    // short one). A short table leaves the rest zero; the pixel read decides
    // the result.
    if (!files.seek(file, tableStart)) return false;
    if (tableBytes != 0) files.read(file, state.skinBlock.data() + infoSize, tableBytes);
    state.pixelOffset = uint16_t(infoSize + tableBytes);
    uint8_t* rows = state.skinBlock.data() + state.pixelOffset;

    const uint32_t pixelStart = getU32(fileHeader, fileHeaderPixelOffset);
    if (pixelStart != 0 && !files.seek(file, pixelStart)) return false;
    if (masked) {
        std::vector<uint8_t> fileRows(imageSize);
        if (readInChunks(files, file, fileRows.data(), imageSize) != imageSize) return false;
        convertMaskedRows(fileRows.data(), bitCount, masks, rows);
    } else if (readInChunks(files, file, rows, imageSize) != imageSize) {
        return false;
    }
    if (topDown) turnRowsUp(rows, skinRowBytes(blockDepth));
    return true;
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
            // A table left from another block (of another header size) is built anew.
            const size_t tableSize = size_t(infoSize) + getU32(header, coloursUsedField) * indexEntrySize;
            if (state.paletteIndexTable.size() != tableSize) {
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
