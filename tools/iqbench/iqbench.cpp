// Receiver figures: CPU seconds per second of IQ for 20 s of synthesized
// 2.048 MS/s CS8 (a stereo station at 40 dB with RDS, two neighbours,
// noise), in stereo and in mono. Each synthesized second starts its RDS
// afresh, so a few blocks fail at every joint while the sync is found again. The figure that counts comes from a Release build:
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/release --target iqbench && build/release/iqbench
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "receiver/receiver.h"
#include "receiver/test_band.h"
#include "receiver/tuning.h"

#ifndef ORVANTA_IQBENCH_SECONDS
#define ORVANTA_IQBENCH_SECONDS 20
#endif

namespace {

constexpr double inputRate = 2048000.0;
constexpr int seconds = ORVANTA_IQBENCH_SECONDS;
constexpr size_t blockPairs = 32768;  // 64 KiB of CS8, as the dongle's driver hands them over

std::vector<int8_t> makeInput() {
    using namespace orv;
    std::vector<int8_t> iq;
    iq.reserve(size_t(inputRate) * 2 * seconds);
    for (int s = 0; s < seconds; ++s) {
        testband::Band band;
        band.sampleRate = inputRate;
        band.seconds = 1.0;
        band.seed = uint32_t(s + 1);
        band.noisePower = 0.1;  // three carriers of 40 dB stay clear of CS8 clipping
        testband::TestStation station;
        station.offsetHz = receiver::stationOffsetHz;
        station.snrDb = 40.0;
        station.left = {{1000.0, 0.4}};
        station.right = {{3000.0, 0.3}};
        station.rds.on = true;
        station.rds.texts = {"iqbench"};
        testband::TestStation below = station, above = station;
        below.offsetHz -= 400000.0;
        above.offsetHz += 600000.0;
        const std::vector<int8_t> second = testband::makeBandCs8(band, {station, below, above});
        iq.insert(iq.end(), second.begin(), second.end());
    }
    return iq;
}

double cpuSecondsPerSecond(const std::vector<int8_t>& iq, bool stereo) {
    using namespace orv::receiver;
    ReceiverConfig config;
    config.inputRate = inputRate;
    config.stereo = stereo;
    Receiver receiver(config);
    std::vector<float> audio;
    audio.reserve(size_t(Receiver::outputRate) * 2);
    const size_t pairs = iq.size() / 2;
    const std::clock_t start = std::clock();
    size_t frames = 0;
    for (size_t i = 0; i < pairs; i += blockPairs) {
        audio.clear();
        const size_t n = pairs - i < blockPairs ? pairs - i : blockPairs;
        frames += receiver.process(iq.data() + 2 * i, n, IqFormat::CS8, 0, audio);
    }
    const double cpu = double(std::clock() - start) / CLOCKS_PER_SEC;
    const Measurement m = receiver.measurement();
    const RdsState rds = receiver.rds();
    std::fprintf(stderr, "  %s: %zu frames, level %.1f dB, blend %.2f, RDS blocks %llu good %llu corrected %llu bad\n",
                 stereo ? "stereo" : "mono", frames, m.levelDb, m.blend, (unsigned long long)rds.blocksGood,
                 (unsigned long long)rds.blocksCorrected, (unsigned long long)rds.blocksBad);
    return cpu / (double(pairs) / inputRate);
}

}  // namespace

int main() {
    std::fprintf(stderr, "synthesizing %d s of 2.048 MS/s CS8...\n", seconds);
    const std::vector<int8_t> iq = makeInput();
    const double stereo = cpuSecondsPerSecond(iq, true);
    const double mono = cpuSecondsPerSecond(iq, false);
    std::printf("stereo: %.4f CPU-s per s of IQ\n", stereo);
    std::printf("mono:   %.4f CPU-s per s of IQ\n", mono);
    return 0;
}
