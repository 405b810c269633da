// Receiver figures: CPU seconds per second of IQ for 20 s of synthesized
// 2.048 MS/s CS8 (a stereo station at 40 dB with RDS, two neighbours,
// noise), in stereo and in mono. Each synthesized second starts its RDS
// afresh, so a few blocks fail at every joint while the sync is found again. The figure that counts comes from a Release build:
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/release --target iqbench && build/release/iqbench [--write FILE]
// --write also saves the input (raw CS8), so that another receiver can be
// timed on the very same samples (scripts/gnuradio_receiver.py).
// --rds-cost prints instead what RDS costs: the receiver with and without
// its RDS decoding (best of three runs each, interleaved), and the
// simulated band's synthesizer with and without its stations' RDS. The station
// plays 1 kHz left and 3 kHz right; the separation is measured on the last
// second of the stereo output.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "receiver/receiver.h"
#include "receiver/test_band.h"
#include "receiver/tuning.h"
#include "synth/band_synth.h"

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

constexpr double pi = 3.14159265358979323846;
constexpr double leftToneHz = 1000.0, rightToneHz = 3000.0;

// The power of one frequency in one channel of interleaved stereo frames (Goertzel).
double tonePower(const std::vector<float>& frames, int channel, double hz, double rate) {
    const double k = 2.0 * std::cos(2.0 * pi * hz / rate);
    double s1 = 0.0, s2 = 0.0;
    for (size_t i = size_t(channel); i < frames.size(); i += 2) {
        const double s0 = frames[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

struct Separation {
    double leftDb = 0.0, rightDb = 0.0;
};

double cpuSecondsPerSecond(const std::vector<int8_t>& iq, bool stereo, Separation* separation = nullptr,
                           bool decodeRds = true) {
    using namespace orv::receiver;
    ReceiverConfig config;
    config.inputRate = inputRate;
    config.stereo = stereo;
    config.rds = decodeRds;
    Receiver receiver(config);
    std::vector<float> audio;
    audio.reserve(size_t(Receiver::outputRate) * 2);
    const size_t pairs = iq.size() / 2;
    const std::clock_t start = std::clock();
    size_t frames = 0;
    std::vector<float> lastSecond;
    const size_t lastFrom = pairs > size_t(inputRate) ? pairs - size_t(inputRate) : 0;
    for (size_t i = 0; i < pairs; i += blockPairs) {
        audio.clear();
        const size_t n = pairs - i < blockPairs ? pairs - i : blockPairs;
        frames += receiver.process(iq.data() + 2 * i, n, IqFormat::CS8, 0, audio);
        if (i >= lastFrom) lastSecond.insert(lastSecond.end(), audio.begin(), audio.end());
    }
    const double cpu = double(std::clock() - start) / CLOCKS_PER_SEC;
    if (separation) {
        const double rate = Receiver::outputRate;
        separation->leftDb = 10.0 * std::log10(tonePower(lastSecond, 0, leftToneHz, rate) /
                                               tonePower(lastSecond, 1, leftToneHz, rate));
        separation->rightDb = 10.0 * std::log10(tonePower(lastSecond, 1, rightToneHz, rate) /
                                                tonePower(lastSecond, 0, rightToneHz, rate));
    }
    const Measurement m = receiver.measurement();
    const RdsState rds = receiver.rds();
    std::fprintf(stderr, "  %s%s: %zu frames, level %.1f dB, blend %.2f, RDS blocks %llu good %llu corrected %llu bad\n",
                 stereo ? "stereo" : "mono", decodeRds ? "" : " without RDS", frames, m.levelDb, m.blend, (unsigned long long)rds.blocksGood,
                 (unsigned long long)rds.blocksCorrected, (unsigned long long)rds.blocksBad);
    return cpu / (double(pairs) / inputRate);
}

constexpr double synthRate = 1024000.0;
constexpr double synthSeconds = 10.0;
constexpr size_t synthBlock = 4096;  // a read of the simulated card's source
constexpr int rdsRuns = 3;

// CPU seconds per second of the simulated band tuned to its first station
// (which sends RDS; the others lie outside the capture), with or without RDS.
double synthCpu(bool rds) {
    using namespace orv;
    std::vector<synth::SynthStation> stations = synth::simulatedBand({87.6, 89.3, 91.4, 94.8, 98.1, 101.3, 104.6, 106.9});
    if (!rds)
        for (synth::SynthStation& s : stations) s.rds.on = false;
    synth::BandSynthesizer synth(stations, synthRate, receiver::europeDeemphasisSeconds);
    synth.tune(receiver::hardwareFrequencyFor(87.6e6));
    std::vector<int8_t> iq(synthBlock * 2);
    const size_t blocks = size_t(synthSeconds * synthRate / double(synthBlock));
    const std::clock_t start = std::clock();
    for (size_t b = 0; b < blocks; ++b) synth.generate(iq.data(), synthBlock);
    return double(std::clock() - start) / CLOCKS_PER_SEC / (double(blocks * synthBlock) / synthRate);
}

int rdsCost(const std::vector<int8_t>& iq) {
    double with = 1e9, without = 1e9;
    for (int run = 0; run < rdsRuns; ++run) {
        with = std::fmin(with, cpuSecondsPerSecond(iq, true, nullptr, true));
        without = std::fmin(without, cpuSecondsPerSecond(iq, true, nullptr, false));
    }
    std::printf("receiver, stereo: %.4f CPU-s per s of IQ with RDS decoding, %.4f without (best of %d)\n", with,
                without, rdsRuns);
    std::printf("rds decoding: %.5f CPU-s per s of signal = %.2f %% of one core\n", with - without,
                100.0 * (with - without));
    const double synthWith = synthCpu(true), synthWithout = synthCpu(false);
    std::printf("simulated band at 1.024 MS/s, its station sending RDS: %.4f CPU-s per s, %.4f without RDS "
                "(RDS adds %.2f %% of one core)\n",
                synthWith, synthWithout, 100.0 * (synthWith - synthWithout));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* writeTo = argc == 3 && std::strcmp(argv[1], "--write") == 0 ? argv[2] : nullptr;
    const bool rdsOnly = argc == 2 && std::strcmp(argv[1], "--rds-cost") == 0;
    if (argc != 1 && !writeTo && !rdsOnly) {
        std::fprintf(stderr, "usage: iqbench [--write FILE | --rds-cost]\n");
        return 2;
    }
    std::fprintf(stderr, "synthesizing %d s of 2.048 MS/s CS8...\n", seconds);
    const std::vector<int8_t> iq = makeInput();
    if (rdsOnly) return rdsCost(iq);
    if (writeTo) {
        std::FILE* out = std::fopen(writeTo, "wb");
        const bool written = out && std::fwrite(iq.data(), 1, iq.size(), out) == iq.size();
        if (out) std::fclose(out);
        if (!written) {
            std::fprintf(stderr, "iqbench: cannot write %s\n", writeTo);
            return 1;
        }
    }
    Separation separation;
    const double stereo = cpuSecondsPerSecond(iq, true, &separation);
    const double mono = cpuSecondsPerSecond(iq, false);
    std::printf("stereo: %.4f CPU-s per s of IQ\n", stereo);
    std::printf("mono:   %.4f CPU-s per s of IQ\n", mono);
    std::printf("separation: %.1f dB left, %.1f dB right\n", separation.leftDb, separation.rightDb);
    return 0;
}
