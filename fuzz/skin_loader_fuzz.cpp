// Feeds arbitrary bytes as "text.dat" to the skin loader and, when it accepts
// them, builds panelDC from them on the headless back end. Any read outside
// the file, the block or the colour table shows up under the sanitizers; an
// accepted skin whose pixel rows do not fill the block aborts.
//
// So that the fuzzer spends its time on the headers rather than on 150 KB of
// pixel rows, an input is the start of the file followed by a 3-byte count
// (little-endian) of pattern bytes that complete it.
//
// Built with -DORVANTA_FUZZ_SEEDS it is instead a small program that writes
// a seed corpus of well-formed skins into the folder given as its argument.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef ORVANTA_FUZZ_SEEDS

#include "platform/headless/headless.h"
#include "render/skin_loader.h"

namespace {

const char* const skinPath = "C:\\Orvanta\\text.dat";

// The loader never touches the settings.
class NoProfile : public orv::Profile {
public:
    std::string readText(const char*, const char*, const char* def, size_t) override { return def; }
    int readInt(const char*, const char*, int def) override { return def; }
    void writeString(const char*, const char*, const char*) override {}
};

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "skin loader fuzz: %s\n", what);
    std::abort();
}

constexpr size_t fillerCountBytes = 3;
// Enough pattern bytes for every depth (444,448 at 24 bits) and a little more.
constexpr size_t maxFiller = 1u << 19;

std::vector<uint8_t> skinFileFromInput(const uint8_t* data, size_t size) {
    static const std::vector<uint8_t> pattern = [] {
        std::vector<uint8_t> p(maxFiller);
        for (size_t i = 0; i < maxFiller; ++i) p[i] = uint8_t(i * 13 + i / 430);
        return p;
    }();
    if (size < fillerCountBytes) return std::vector<uint8_t>(data, data + size);
    size_t start = size - fillerCountBytes;
    size_t filler = size_t(data[start]) | size_t(data[start + 1]) << 8 | size_t(data[start + 2]) << 16;
    std::vector<uint8_t> file(data, data + start);
    file.insert(file.end(), pattern.begin(), pattern.begin() + long(std::min(filler, maxFiller)));
    return file;
}

uint32_t headerField(const std::vector<uint8_t>& block, size_t at) {
    return uint32_t(block[at]) | uint32_t(block[at + 1]) << 8 | uint32_t(block[at + 2]) << 16 |
           uint32_t(block[at + 3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::VirtualClock clock;
    orv::RecordingPort port;
    NoProfile profile;
    orv::HeadlessFiles files;
    orv::HeadlessDisplay display;
    orv::HeadlessWindow window(display);
    orv::HeadlessDialogs dialogs;
    orv::Platform platform{port, clock, profile, files, display, window, dialogs};
    orv::App app(platform);
    app.state.skinBlock.assign(orv::skinBlockInitialSize, 0);
    std::strcpy(app.state.skinFilePath, skinPath);
    files.memory[skinPath] = skinFileFromInput(data, size);

    bool loaded = orv::loadSkinFile(app);
    check(files.openCount == 0, "file left open");
    check(dialogs.boxes.empty(), "message box for a file that opened");
    if (!loaded) return 0;

    const std::vector<uint8_t>& block = app.state.skinBlock;
    uint32_t imageSize = headerField(block, 20);
    check(headerField(block, 4) == 430 && headerField(block, 8) == 344, "size not replaced");
    check(size_t(app.state.pixelOffset) + imageSize == block.size(), "pixel rows do not fill the block");

    orv::createSkinSurface(app);
    check(app.state.panelSurface && display.skin.size() == 430u * 344u, "no panelDC for a loaded skin");
    check(dialogs.boxes.empty(), "message box for a loaded skin");
    return 0;
}

#else  // ORVANTA_FUZZ_SEEDS

namespace {

// A 430 x 344 skin file as a fuzz input: file header, 40-byte info header,
// table, and the count of pattern bytes that stand for the rows.
std::vector<uint8_t> skinInput(uint16_t bitCount, uint32_t infoSize, uint32_t colours,
                               bool zeroPixelOffset, uint32_t rowsKept) {
    uint32_t rowBytes = (bitCount * 430u + 31) / 32 * 4;
    std::vector<uint8_t> f(54, 0);
    auto put = [&f](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put(10, zeroPixelOffset ? 0 : 54 + colours * 4);
    put(14, infoSize);
    put(18, 430);
    put(22, 344);
    f[26] = 1;
    f[28] = uint8_t(bitCount);
    put(46, bitCount == 24 ? 0 : colours);
    for (uint32_t i = 0; i < colours; ++i)
        f.insert(f.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0});
    uint32_t filler = rowBytes * rowsKept;
    put(2, uint32_t(f.size()) + filler);
    f.insert(f.end(), {uint8_t(filler), uint8_t(filler >> 8), uint8_t(filler >> 16)});
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const uint32_t whole = 344;
    const struct { const char* name; std::vector<uint8_t> data; } seeds[] = {
        {"mono", skinInput(1, 40, 2, false, whole)},
        {"sixteen", skinInput(4, 40, 16, false, whole)},
        {"indexed", skinInput(8, 40, 256, false, whole)},
        {"indexed-short-table", skinInput(8, 40, 4, false, whole)},
        {"indexed-long-header", skinInput(8, 108, 256, false, whole)},
        {"indexed-no-offset", skinInput(8, 40, 256, true, whole)},
        {"truecolour", skinInput(24, 40, 0, false, whole)},
        {"truncated", skinInput(4, 40, 16, false, 200)},
    };
    for (const auto& seed : seeds) {
        std::string path = std::string(argv[1]) + "/" + seed.name;
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(seed.data.data(), 1, seed.data.size(), out) != seed.data.size()) {
            std::perror(path.c_str());
            return 1;
        }
        std::fclose(out);
    }
    return 0;
}

#endif
