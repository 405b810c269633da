#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/headless.h"
#include "render/skin_loader.h"

namespace orv {
namespace {

const char* const skinPath = "C:\\Orvanta\\text.dat";

uint32_t rowBytes(uint32_t bitCount) { return (bitCount * 430 + 31) / 32 * 4; }
uint8_t pixelByte(size_t i) { return uint8_t(i * 7 + 3); }
uint32_t tableColour(uint32_t i) { return (i ^ 0x5A) << 16 | (255 - i) << 8 | i; }  // 0x00RRGGBB

// A skin file as a device-independent bitmap file, built in memory.
struct SkinFile {
    explicit SkinFile(uint16_t depth)
        : bitCount(depth), tableEntries(depth < 16 ? 1u << depth : 0), pixelBytes(rowBytes(depth) * 344) {}
    uint16_t bitCount;
    uint32_t tableEntries, pixelBytes;
    uint32_t infoSize = 40, compression = 0, imageSize = 0, coloursUsed = 0, gap = 0;
    int32_t height = 77;  // the loader takes 344 rows whatever it says; negative: top-down
    uint16_t planes = 1;
    std::vector<uint32_t> masks;  // bitfields: red, green, blue
    bool zeroPixelOffset = false;
    std::vector<uint8_t> pixels;  // the rows; pixelByte(i) when empty

    std::vector<uint8_t> build() const {
        std::vector<uint8_t> f(54);
        auto put = [&f](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i) f[at + i] = uint8_t(v >> (8 * i));
        };
        if (infoSize > 40 && infoSize <= 4096) f.resize(14 + infoSize, 0);
        const bool masksInHeader = infoSize >= 52;
        if (!masks.empty()) {
            if (!masksInHeader) f.resize(f.size() + 12, 0);
            for (size_t i = 0; i < 3; ++i) put(54 + 4 * i, masks[i], 4);
        }
        const uint32_t tableStart = uint32_t(f.size());
        put(10, zeroPixelOffset ? 0 : tableStart + tableEntries * 4 + gap, 4);
        put(14, infoSize, 4);
        put(18, 1234, 4);  // width and height the loader replaces
        put(22, uint32_t(height), 4);
        put(26, planes, 2);
        put(28, bitCount, 2);
        put(30, compression, 4);
        put(34, imageSize, 4);
        put(46, coloursUsed, 4);
        for (uint32_t i = 0; i < tableEntries; ++i) {
            uint32_t c = tableColour(i & 0xFF);
            f.insert(f.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
        }
        f.insert(f.end(), gap, 0xEE);
        if (!pixels.empty()) {
            f.insert(f.end(), pixels.begin(), pixels.end());
        } else {
            for (size_t i = 0; i < pixelBytes; ++i) f.push_back(pixelByte(i));
        }
        return f;
    }
};

class SkinLoaderTest : public ::testing::Test {
protected:
    Headless h;
    App app{h.platform};
    void SetUp() override {
        app.state.skinBlock.assign(skinBlockInitialSize, 0);
        std::strcpy(app.state.skinFilePath, skinPath);
    }
    bool load(const SkinFile& f) {
        h.files.memory[skinPath] = f.build();
        bool ok = loadSkinFile(app);
        EXPECT_EQ(h.files.openCount, 0) << "the file stays open";
        return ok;
    }
    uint32_t field(uint32_t at) const {
        uint32_t v;
        std::memcpy(&v, app.state.skinBlock.data() + at, 4);
        return v;
    }
    // The colour of image pixel (x, y) as the loaded bytes and the table give it.
    uint32_t expectedPixel(int x, int y, uint32_t tableSize) const {
        uint8_t v = pixelByte(size_t(343 - y) * rowBytes(8) + x);
        return v < tableSize ? tableColour(v) : 0;
    }
};

TEST_F(SkinLoaderTest, AnySizeIsTakenAs430By344AndImageSizeFollowsTheDepth) {
    const struct { uint16_t depth; uint32_t imageSize, colours; } cases[] = {
        {1, 19264, 2}, {4, 74304, 16}, {8, 148608, 256}, {24, 444448, 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(load(SkinFile(c.depth))) << c.depth;
        EXPECT_EQ(field(4), 430u);
        EXPECT_EQ(field(8), 344u);
        EXPECT_EQ(field(20), c.imageSize);
        EXPECT_EQ(field(32), c.colours);
        EXPECT_EQ(app.state.pixelOffset, 40 + c.colours * 4);
        EXPECT_EQ(app.state.skinBlock.size(), 40 + c.colours * 4 + c.imageSize);
        EXPECT_EQ(app.state.skinBlock.back(), pixelByte(c.imageSize - 1));
    }
    EXPECT_TRUE(h.dialogs.boxes.empty());
}

TEST_F(SkinLoaderTest, PixelRowsComeFromThePixelOffsetOrRightAfterTheTable) {
    SkinFile withGap(8), noOffset(8);
    withGap.gap = 100;  // junk between the table and the rows, skipped by the seek
    noOffset.zeroPixelOffset = true;
    for (const SkinFile& f : {withGap, noOffset}) {
        ASSERT_TRUE(load(f));
        EXPECT_EQ(app.state.skinBlock[1064], pixelByte(0));
        EXPECT_EQ(app.state.skinBlock[1064 + 5000], pixelByte(5000));
    }
}

TEST_F(SkinLoaderTest, NonZeroImageSizeIsUsedUnchangedAndMustBeInTheFile) {
    SkinFile f(8);
    f.imageSize = f.pixelBytes = 150000;
    ASSERT_TRUE(load(f));
    EXPECT_EQ(field(20), 150000u);
    EXPECT_EQ(app.state.skinBlock.size(), 1064u + 150000);
    f.pixelBytes = 149999;
    EXPECT_FALSE(load(f));
    EXPECT_TRUE(h.dialogs.boxes.empty());
}

// Editors write 108- and 124-byte headers; the table follows the whole header.
TEST_F(SkinLoaderTest, LongInfoHeaderHasOnly40BytesReadAndTheTableAfterIt) {
    for (uint32_t infoSize : {56u, 108u, 124u}) {
        SkinFile f(4);
        f.infoSize = infoSize;
        h.files.readSizes.clear();
        ASSERT_TRUE(load(f)) << infoSize;
        EXPECT_EQ(h.files.readSizes, (std::vector<uint32_t>{14, 40, 64, 32768, 32768, 8768}));
        EXPECT_EQ(app.state.pixelOffset, infoSize + 64);
        EXPECT_EQ(field(40), 0u);
        for (uint32_t i = 0; i < 16; ++i)
            ASSERT_EQ(field(infoSize + 4 * i) & 0xFFFFFF, tableColour(i)) << infoSize;
        createSkinSurface(app);
        EXPECT_EQ(h.display.palette[5].red, 5 ^ 0x5A);
    }
}

TEST_F(SkinLoaderTest, TopDownRowsAreTurnedTheRightWayUp) {
    SkinFile up(8), down(8);
    down.height = -344;
    // The same picture: a top-down file stores the top row first.
    for (int y = 0; y < 344; ++y)
        for (uint32_t x = 0; x < rowBytes(8); ++x) down.pixels.push_back(pixelByte(size_t(343 - y) * rowBytes(8) + x));
    ASSERT_TRUE(load(up));
    const std::vector<uint8_t> expected = app.state.skinBlock;
    ASSERT_TRUE(load(down));
    EXPECT_EQ(app.state.skinBlock, expected);
    EXPECT_EQ(field(8), 344u);
    createSkinSurface(app);
    EXPECT_EQ(h.display.skinPixel(10, 0), expectedPixel(10, 0, 256));
}

// 16- and 32-bit pixels, little-endian, from 0xRRGGBB colours.
std::vector<uint8_t> maskedRows(uint32_t bitCount, uint32_t (*encode)(uint32_t)) {
    std::vector<uint8_t> rows;
    for (int y = 0; y < 344; ++y) {
        std::vector<uint8_t> row(rowBytes(bitCount), 0);
        for (int x = 0; x < 430; ++x) {
            uint32_t v = encode(tableColour(uint32_t(x + y) & 0xFF));
            for (uint32_t b = 0; b < bitCount / 8; ++b) row[x * (bitCount / 8) + b] = uint8_t(v >> (8 * b));
        }
        rows.insert(rows.end(), row.begin(), row.end());
    }
    return rows;
}

TEST_F(SkinLoaderTest, SixteenAndThirtyTwoBitSkinsConvertLikeTwentyFourBit) {
    const struct {
        const char* name;
        uint16_t depth;
        uint32_t compression, infoSize;
        std::vector<uint32_t> masks;
        uint32_t (*encode)(uint32_t);
        uint32_t keep;  // the bits of each channel the format holds
    } cases[] = {
        {"32 plain", 32, 0, 40, {}, [](uint32_t c) { return c | 0xFF000000u; }, 0xFF},
        {"32 bitfields", 32, 3, 40, {0xFF0000, 0xFF00, 0xFF}, [](uint32_t c) { return c; }, 0xFF},
        {"32 bitfields, V5 header", 32, 3, 124, {0xFF0000, 0xFF00, 0xFF}, [](uint32_t c) { return c; }, 0xFF},
        {"16 bitfields 5-6-5", 16, 3, 40, {0xF800, 0x7E0, 0x1F},
         [](uint32_t c) { return (c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F); }, 0xF8},
        {"16 bitfields 5-5-5", 16, 3, 108, {0x7C00, 0x3E0, 0x1F},
         [](uint32_t c) { return (c >> 19 & 0x1F) << 10 | (c >> 11 & 0x1F) << 5 | (c >> 3 & 0x1F); }, 0xF8},
        {"16 plain is 5-5-5", 16, 0, 40, {},
         [](uint32_t c) { return (c >> 19 & 0x1F) << 10 | (c >> 11 & 0x1F) << 5 | (c >> 3 & 0x1F); }, 0xF8},
    };
    for (const auto& c : cases) {
        SkinFile f(c.depth);
        f.compression = c.compression;
        f.infoSize = c.infoSize;
        f.masks = c.masks;
        f.pixels = maskedRows(c.depth, c.encode);
        ASSERT_TRUE(load(f)) << c.name;
        createSkinSurface(app);
        EXPECT_TRUE(app.state.paletteIndexTable.empty());
        for (int y = 0; y < 344; y += 5) {
            for (int x = 0; x < 430; x += 7) {
                const uint32_t want = tableColour(uint32_t(x + 343 - y) & 0xFF);
                const uint32_t got = h.display.skinPixel(x, y);
                for (int shift : {0, 8, 16})
                    ASSERT_EQ(got >> shift & c.keep, want >> shift & c.keep) << c.name << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(SkinLoaderTest, FiveBitChannelsWidenToTheFullRange) {
    SkinFile f(16);
    f.compression = 3;
    f.masks = {0xF800, 0x7E0, 0x1F};
    f.pixels.assign(rowBytes(16) * 344, 0);
    f.pixels[0] = 0xFF, f.pixels[1] = 0xFF;  // white
    f.pixels[2] = 0x10, f.pixels[3] = 0x84;  // 10000 100000 10000
    ASSERT_TRUE(load(f));
    createSkinSurface(app);
    EXPECT_EQ(h.display.skinPixel(0, 343), 0xFFFFFFu);
    EXPECT_EQ(h.display.skinPixel(1, 343), 0x848284u);
    EXPECT_EQ(h.display.skinPixel(2, 343), 0u);
}

TEST_F(SkinLoaderTest, FailedLoadsShowOnlyTheOpenMessage) {
    EXPECT_FALSE(loadSkinFile(app));  // no such file
    ASSERT_EQ(h.dialogs.boxes.size(), 1u);
    EXPECT_EQ(h.dialogs.boxes[0].text, "Can't open data file 1");
    EXPECT_EQ(h.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(h.dialogs.boxes[0].kind, BoxKind::ErrorOk);

    h.dialogs.boxes.clear();
    std::vector<uint8_t> truncated = SkinFile(8).build();
    for (size_t size : {size_t(10), size_t(30), size_t(500), truncated.size() - 1}) {
        h.files.memory[skinPath].assign(truncated.begin(), truncated.begin() + long(size));
        EXPECT_FALSE(loadSkinFile(app)) << size;
        EXPECT_EQ(h.files.openCount, 0);
    }
    EXPECT_TRUE(h.dialogs.boxes.empty());
}

TEST_F(SkinLoaderTest, HeadersTheConversionCannotUseAreRefused) {
    auto refused = [this](void (*change)(SkinFile&)) {
        SkinFile f(8);
        change(f);
        return !load(f) && h.dialogs.boxes.empty();
    };
    EXPECT_TRUE(refused([](SkinFile& f) { f.infoSize = 12; }));
    EXPECT_TRUE(refused([](SkinFile& f) { f.infoSize = 20; }));  // the table would overwrite the header
    EXPECT_TRUE(refused([](SkinFile& f) { f.infoSize = 5000; }));
    EXPECT_TRUE(refused([](SkinFile& f) { f.coloursUsed = f.tableEntries = 300; }));
    EXPECT_TRUE(refused([](SkinFile& f) { f.coloursUsed = 0x10000; }));
    EXPECT_TRUE(refused([](SkinFile& f) { f.compression = 1; }));  // run-length coded
    EXPECT_TRUE(refused([](SkinFile& f) { f.bitCount = 16; f.tableEntries = 0; f.compression = 1; }));
    EXPECT_TRUE(refused([](SkinFile& f) { f.bitCount = 32; f.tableEntries = 0; f.compression = 2; }));
    EXPECT_TRUE(refused([](SkinFile& f) { f.bitCount = 8; f.compression = 3; }));  // masks need 16 or 32 bits
    EXPECT_TRUE(refused([](SkinFile& f) { f.planes = 2; }));
    EXPECT_TRUE(refused([](SkinFile& f) { f.planes = 0; }));
    // Masks that are empty, broken into pieces or wider than the pixel.
    for (std::vector<uint32_t> masks : {std::vector<uint32_t>{0xF800, 0, 0x1F}, {0xF800, 0x7A0, 0x1F},
                                        {0x1F800, 0x7E0, 0x1F}}) {
        SkinFile f(8);
        f.bitCount = 16, f.tableEntries = 0, f.compression = 3, f.masks = masks;
        f.pixelBytes = rowBytes(16) * 344;
        EXPECT_FALSE(load(f)) << masks[0] << " " << masks[1];
    }
    // Fewer bytes than the 344 rows the conversion reads, even when the file holds them all.
    EXPECT_TRUE(refused([](SkinFile& f) { f.imageSize = f.pixelBytes = 148607; }));
}

TEST_F(SkinLoaderTest, AbsurdImageSizeIsRefusedBeforeTheBlockGrows) {
    SkinFile f(8);
    f.imageSize = 0xFFFFFFF0;
    EXPECT_FALSE(load(f));
    EXPECT_EQ(app.state.skinBlock.size(), skinBlockInitialSize);
    EXPECT_EQ(h.files.readSizes, (std::vector<uint32_t>{14, 40}));
}

TEST_F(SkinLoaderTest, PathWithoutTerminatorIsNotOpened) {
    std::memset(app.state.skinFilePath, 'x', sizeof app.state.skinFilePath);
    EXPECT_FALSE(loadSkinFile(app));
    EXPECT_TRUE(h.files.readSizes.empty());
    ASSERT_EQ(h.dialogs.boxes.size(), 1u);
    EXPECT_EQ(h.dialogs.boxes[0].text, "Can't open data file 1");
}

TEST(ReadInChunks, ReadsPiecesOf32768AndFailsOnAnyShortRead) {
    const struct { uint32_t held, count, result; std::vector<uint32_t> sizes; } cases[] = {
        {74304, 74304, 74304, {32768, 32768, 8768}},
        {65536, 65536, 65536, {32768, 32768}},
        {100, 100, 100, {100}},
        {40000, 74304, 0, {32768, 32768}},  // stops at the first short piece
        {74303, 74304, 0, {32768, 32768, 8768}},
    };
    for (const auto& c : cases) {
        HeadlessFiles files;
        files.memory["f"] = std::vector<uint8_t>(c.held, 9);
        std::vector<uint8_t> dest(c.count);
        int handle = files.open("f");
        EXPECT_EQ(readInChunks(files, handle, dest.data(), c.count), c.result);
        EXPECT_EQ(files.readSizes, c.sizes);
    }
}

TEST_F(SkinLoaderTest, EightBitSkinGetsPaletteAndIdentityTableAndPaletteRelativePixels) {
    SkinFile f(8);
    f.infoSize = 56;
    ASSERT_TRUE(load(f));
    createSkinSurface(app);
    EXPECT_TRUE(app.state.skinPalette && app.state.panelSurface);
    ASSERT_EQ(h.display.palette.size(), 256u);
    EXPECT_EQ(h.display.palette[7].red, 7 ^ 0x5A);
    EXPECT_EQ(h.display.palette[7].green, 255 - 7);
    const std::vector<uint8_t>& table = app.state.paletteIndexTable;
    ASSERT_EQ(table.size(), 56u + 512);
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + 40, app.state.skinBlock.begin()));
    for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(table[56 + 2 * i] | table[57 + 2 * i] << 8, int(i));
    for (int y = 0; y < 344; y += 7)
        for (int x = 0; x < 430; x += 3) ASSERT_EQ(h.display.skinPixel(x, y), expectedPixel(x, y, 256));
}

TEST_F(SkinLoaderTest, IndicesBeyondAShortColourTableDrawAsColourZero) {
    SkinFile f(8);
    f.coloursUsed = f.tableEntries = 4;
    ASSERT_TRUE(load(f));
    createSkinSurface(app);
    EXPECT_EQ(h.display.palette.size(), 4u);
    for (int x = 0; x < 430; ++x) ASSERT_EQ(h.display.skinPixel(x, 100), expectedPixel(x, 100, 4));
}

TEST_F(SkinLoaderTest, TwentyFourBitSkinIsConvertedWithRgbColours) {
    for (uint32_t colours : {0u, 2u}) {  // a colour table does not change the pixels
        SkinFile f(24);
        f.coloursUsed = f.tableEntries = colours;
        ASSERT_TRUE(load(f));
        createSkinSurface(app);
        EXPECT_EQ(h.display.hasPalette, colours != 0);
        EXPECT_TRUE(app.state.paletteIndexTable.empty());
        // The first bytes of the file are blue, green, red of the bottom-left pixel.
        uint32_t red = pixelByte(2), green = pixelByte(1), blue = pixelByte(0);
        EXPECT_EQ(h.display.skinPixel(0, 343), red << 16 | green << 8 | blue);
    }
}

TEST_F(SkinLoaderTest, SurfaceFailuresShowTheirMessages) {
    ASSERT_TRUE(load(SkinFile(4)));
    h.display.failPalette = true;
    createSkinSurface(app);
    h.display.failPalette = false;
    h.display.failSurface = true;
    createSkinSurface(app);
    ASSERT_EQ(h.dialogs.boxes.size(), 2u);
    EXPECT_EQ(h.dialogs.boxes[0].text, "Can't create palette");
    EXPECT_EQ(h.dialogs.boxes[0].kind, BoxKind::ErrorOk);
    EXPECT_EQ(h.dialogs.boxes[1].text, "Error 824232");
    EXPECT_EQ(h.dialogs.boxes[1].title, "Insufficient Memory");
    EXPECT_EQ(h.dialogs.boxes[1].kind, BoxKind::PlainOk);
    EXPECT_TRUE(h.window.quitPosted);
    EXPECT_EQ(h.window.quitCode, 0);
    EXPECT_FALSE(app.state.panelSurface);
}

}  // namespace
}  // namespace orv
