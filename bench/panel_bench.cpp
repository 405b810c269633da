// Costs of drawing on the headless back end, next to a plain copy of the face.
//   build/native/orvanta_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "platform/headless/headless.h"
#include "render/readouts.h"
#include "render/skin_loader.h"
#include "shell/paint.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace {

const char* const kSkinPath = "C:\\Orvanta\\text.dat";

std::vector<uint8_t> readSkin() {
    std::vector<uint8_t> bytes;
    std::FILE* in = std::fopen(ORVANTA_SKIN_FILE, "rb");
    if (!in) return bytes;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(in);
    return bytes;
}

struct Panel {
    orv::Headless h;
    orv::App app{h.platform};
    explicit Panel(const std::vector<uint8_t>& skin) {
        h.window.app = &app;
        h.window.modulePathValue = "C:\\Orvanta\\orvanta.exe";
        h.files.memory[kSkinPath] = skin;
        orv::runPanel(app, 1);  // includes the first paint with its wipe
    }
};

const std::vector<uint8_t>& skin() {
    static const std::vector<uint8_t> bytes = readSkin();
    return bytes;
}

void FaceCopyFloor(benchmark::State& state) {
    Panel p(skin());
    for (auto _ : state) p.h.display.copy(orv::Target::Window, 0, 0, 367, 132, 0, 0);
}
BENCHMARK(FaceCopyFloor);

void RepaintFullPanel(benchmark::State& state) {
    Panel p(skin());
    for (auto _ : state) orv::onPaintMessage(p.app);
}
BENCHMARK(RepaintFullPanel);

void DrawFrequencyAndPreset(benchmark::State& state) {
    Panel p(skin());
    for (auto _ : state) orv::drawFrequencyAndPreset(p.app, 42, 107.975f);
}
BENCHMARK(DrawFrequencyAndPreset);

void LoadAndConvertSkin(benchmark::State& state) {
    Panel p(skin());
    for (auto _ : state) {
        p.app.state.skinBlock.assign(orv::skinBlockInitialSize, 0);
        p.app.state.skinPalette = false;
        p.app.state.paletteIndexTable.clear();
        p.h.display.releaseSkin();
        bool ok = orv::loadSkinFile(p.app);
        orv::createSkinSurface(p.app);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(LoadAndConvertSkin);

}  // namespace

BENCHMARK_MAIN();
