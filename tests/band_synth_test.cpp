// The simulated card's band through the receiver: each station plays its own
// programme in its own channels, the weak one measures weak and plays mono,
// the one off its frequency is still found, and between stations there is
// hiss and no programme.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "receiver/receiver.h"
#include "receiver/test_band.h"
#include "receiver/tuning.h"
#include "synth/band_synth.h"

namespace orv::synth {
namespace {

constexpr double rate = 1024000.0;
constexpr double seconds = 0.3;
constexpr size_t measureStart = 9600;   // 200 ms: past the first window and the blend's ramp
constexpr size_t measureFrames = 4800;  // 100 ms: tones at multiples of 10 Hz sit on bins
const std::vector<double> band = {87.6, 89.3, 91.4, 94.8, 98.1, 101.3, 104.6, 106.9};

struct Heard {
    std::vector<float> audio;
    receiver::Measurement measurement;
    double toneDb(int channel, double hz) const {
        return 10.0 * std::log10(testband::tonePower(audio, 2, channel, measureStart, measureFrames, hz,
                                                     receiver::Receiver::outputRate));
    }
};

Heard listen(double stationMHz) {
    BandSynthesizer synth(simulatedBand(band), rate, receiver::europeDeemphasisSeconds);
    synth.tune(receiver::hardwareFrequencyFor(stationMHz * 1e6));
    receiver::ReceiverConfig config;
    config.inputRate = rate;
    receiver::Receiver r(config);
    std::vector<int8_t> iq(size_t(seconds * rate) * 2);
    synth.generate(iq.data(), iq.size() / 2);
    Heard h;
    r.process(iq.data(), iq.size() / 2, receiver::IqFormat::CS8, 0, h.audio);
    h.measurement = r.measurement();
    return h;
}

TEST(SimulatedBand, StereoStationPlaysItsTonesInTheirOwnChannels) {
    const Heard h = listen(98.1);  // fifth in the list: 1 kHz left, 3 kHz right
    EXPECT_TRUE(h.measurement.signal);
    EXPECT_TRUE(h.measurement.pilot);
    EXPECT_GT(h.toneDb(0, 1000), -20.0);
    EXPECT_GT(h.toneDb(1, 3000), -20.0);
    EXPECT_GT(h.toneDb(0, 1000) - h.toneDb(1, 1000), 25.0);
    EXPECT_GT(h.toneDb(1, 3000) - h.toneDb(0, 3000), 25.0);
    // Pre-emphasis and de-emphasis cancel: both tones equally loud.
    EXPECT_NEAR(h.toneDb(0, 1000), h.toneDb(1, 3000), 1.5);
}

TEST(SimulatedBand, MonoChordSoundsInBothChannels) {
    const Heard h = listen(89.3);  // second: C, E and G
    EXPECT_TRUE(h.measurement.signal);
    EXPECT_FALSE(h.measurement.pilot);
    for (double hz : {262.0, 330.0, 392.0}) {
        EXPECT_GT(h.toneDb(0, hz), -30.0) << hz;
        EXPECT_NEAR(h.toneDb(0, hz), h.toneDb(1, hz), 0.5) << hz;
    }
}

TEST(SimulatedBand, WeakStationAndStationOffItsFrequency) {
    const Heard weak = listen(94.8);  // fourth: 14 dB over the noise
    EXPECT_NEAR(weak.measurement.levelDb, 14.0, 4.0);
    EXPECT_EQ(weak.measurement.blend, 0.0);
    const Heard off = listen(101.3);  // sixth: its carrier 10 kHz up
    EXPECT_TRUE(off.measurement.signal);
    EXPECT_NEAR(off.measurement.carrierOffsetHz, 10000.0, 1500.0);
    EXPECT_GT(off.toneDb(0, 587), -30.0);
}

TEST(SimulatedBand, BetweenStationsHissAndNoProgramme) {
    const Heard h = listen(100.0);
    EXPECT_FALSE(h.measurement.signal);
    double power = 0.0;
    for (size_t i = 2 * measureStart; i < 2 * (measureStart + measureFrames); ++i) power += h.audio[i] * h.audio[i];
    EXPECT_GT(power / (2.0 * measureFrames), 1e-4);  // hiss, not silence
    // The programmes' tones stand no higher than the hiss beside them.
    for (double hz : {1000.0, 3000.0, 440.0}) {
        double beside = 0.0;
        for (double away : {-340.0, -170.0, 170.0, 340.0}) beside += std::pow(10.0, h.toneDb(0, hz + away) / 10.0) / 4.0;
        EXPECT_LT(h.toneDb(0, hz), 10.0 * std::log10(beside) + 10.0) << hz;
    }
}

TEST(SimulatedBand, StationsTakeTheirPlacesInTheList) {
    const std::vector<SynthStation> stations = simulatedBand({88.0, 90.0});
    ASSERT_EQ(stations.size(), 2u);
    EXPECT_EQ(stations[1].hz, 90e6);
    EXPECT_TRUE(simulatedBand({}).empty());
    EXPECT_EQ(simulatedBand(band)[3].levelDb, 14.0);
    EXPECT_EQ(simulatedBand(band)[5].carrierOffsetHz, 10000.0);
    EXPECT_EQ(simulatedBand(std::vector<double>(9, 90.0))[8].programme.leftHz[0], 440.0f);  // round again
}

}  // namespace
}  // namespace orv::synth
