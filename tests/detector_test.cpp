// The station detector behind seek and the TUNED lamp: a seek-like walk over
// the 25 kHz grid, noise, neighbours of strong stations, levels and timing.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "receiver/receiver.h"
#include "receiver/stereo.h"
#include "receiver/test_band.h"
#include "receiver/tuning.h"

namespace orv::receiver {
namespace {

using testband::Band;
using testband::TestStation;

constexpr double inputRate = 2048000.0;
constexpr double probeSeconds = 0.1;  // what the detector gets after a retune

struct OnAir {
    double frequencyHz;
    double snrDb;
    bool stereo;
};

// Tunes to stationHz as the card would and measures after probeSeconds of IQ.
Measurement probe(Receiver& r, uint32_t generation, double stationHz, const std::vector<OnAir>& air,
                  uint32_t seed, double noisePower = 0.2) {
    const double hardwareHz = hardwareFrequencyFor(stationHz);
    std::vector<TestStation> stations;
    for (const OnAir& a : air) {
        const double offset = a.frequencyHz - hardwareHz;
        if (std::fabs(offset) > 0.45 * inputRate) continue;  // outside the captured band
        TestStation s;
        s.offsetHz = offset;
        s.snrDb = a.snrDb;
        s.stereo = a.stereo;
        s.left = {{1000.0, 0.6}};
        s.right = {{400.0, 0.6}};
        stations.push_back(s);
    }
    Band band;
    band.sampleRate = inputRate;
    band.seconds = probeSeconds;
    band.seed = seed;
    band.noisePower = noisePower;
    const std::vector<int8_t> iq = testband::makeBandCs8(band, stations);
    r.retune(generation);
    std::vector<float> audio;
    r.process(iq.data(), iq.size() / 2, IqFormat::CS8, generation, audio);
    return r.measurement();
}

// Walks up the grid from `from` to `to` and lists where the detector said "station".
std::set<long> seekWalk(double from, double to, const std::vector<OnAir>& air, uint16_t threshold = defaultThreshold) {
    ReceiverConfig config;
    config.threshold = threshold;
    Receiver r(config);
    std::set<long> found;
    uint32_t generation = 1;
    for (double f = from; f <= to + 1.0; f += channelGridHz, ++generation) {
        const Measurement m = probe(r, generation, f, air, generation);
        EXPECT_TRUE(m.ready) << "no answer within 100 ms at " << f;
        EXPECT_EQ(m.generation, generation);
        if (m.signal) found.insert(std::lround(f));
    }
    return found;
}

TEST(Detector, SeekStopsOnEachStationsGridPointAndNowhereBeside) {
    // A strong station, and a weak one just over the default threshold's 15 dB.
    const std::vector<OnAir> air = {{98100000.0, 45.0, true}, {98500000.0, 20.0, false}};
    // The walk covers 100 kHz either side of each (the empty stretch between adds nothing).
    std::set<long> found = seekWalk(98000000.0, 98225000.0, air);
    const std::set<long> upper = seekWalk(98400000.0, 98600000.0, air);
    found.insert(upper.begin(), upper.end());
    EXPECT_EQ(found, (std::set<long>{98100000, 98500000}));
}

TEST(Detector, NoiseIsNeverAStationEvenAtTheLowestThreshold) {
    EXPECT_TRUE(seekWalk(88000000.0, 88150000.0, {}).empty());
    EXPECT_TRUE(seekWalk(88000000.0, 88075000.0, {}, 0).empty());
}

TEST(Detector, LevelReadsCarrierOverNoiseInTheChannel) {
    Receiver r({});
    for (double snr : {20.0, 30.0}) {
        const Measurement m = probe(r, 1, 100e6, {{100e6, snr, true}}, 3, 1.0);
        EXPECT_NEAR(m.levelDb, snr, 1.0);
        EXPECT_NEAR(m.quietingDb, snr, 2.0);
        EXPECT_EQ(m.strength, strengthFromDb(m.levelDb));
        EXPECT_TRUE(m.signal);
        EXPECT_TRUE(m.pilot);
    }
    // 10 dB: audible but below the default threshold.
    const Measurement weak = probe(r, 2, 100e6, {{100e6, 10.0, true}}, 4, 1.0);
    EXPECT_NEAR(weak.levelDb, 10.0, 1.5);
    EXPECT_FALSE(weak.signal);
    // The same station found once the threshold is lowered to 8 dB.
    r.setThreshold(uint16_t(8.0 / strengthFullScaleDb * 65536.0));
    EXPECT_TRUE(probe(r, 3, 100e6, {{100e6, 10.0, true}}, 4, 1.0).signal);
}

TEST(Detector, CarrierOffsetDecidesBetweenGridPoints) {
    Receiver r({});
    const Measurement near = probe(r, 1, 100e6, {{100e6 + 6000.0, 35.0, true}}, 5);
    EXPECT_NEAR(near.carrierOffsetHz, 6000.0, 300.0);
    EXPECT_TRUE(near.signal);
    const Measurement off = probe(r, 2, 100e6, {{100e6 - 15000.0, 35.0, true}}, 6);
    EXPECT_NEAR(off.carrierOffsetHz, -15000.0, 300.0);
    EXPECT_FALSE(off.signal);
}

TEST(Detector, MeasurementsOfTheOldTuningNeverAnswerForTheNew) {
    Receiver r({});
    ASSERT_TRUE(probe(r, 1, 100e6, {{100e6, 40.0, true}}, 7).signal);
    r.retune(2);
    EXPECT_FALSE(r.measurement().ready);
    EXPECT_FALSE(r.measurement().signal);
    // Half the window of noise: still no answer, and nothing left from before.
    Band band;
    band.seconds = 0.05;
    const std::vector<int8_t> noise = testband::makeBandCs8(band, {});
    std::vector<float> audio;
    r.process(noise.data(), noise.size() / 2, IqFormat::CS8, 2, audio);
    EXPECT_FALSE(r.measurement().ready);
    r.process(noise.data(), noise.size() / 2, IqFormat::CS8, 2, audio);
    EXPECT_TRUE(r.measurement().ready);
    EXPECT_FALSE(r.measurement().signal);
    EXPECT_FALSE(r.measurement().pilot);
}

TEST(Detector, StaleWindowsAreNotPublished) {
    MeasurementBox box;
    box.restart(4);
    Measurement old;
    old.generation = 3;
    old.ready = old.signal = true;
    EXPECT_FALSE(box.publish(old));
    EXPECT_FALSE(box.read().ready);
    Measurement current = old;
    current.generation = 4;
    EXPECT_TRUE(box.publish(current));
    EXPECT_TRUE(box.read().signal);
}

TEST(Detector, ThresholdScaleIsSixtyDecibelsLinear) {
    EXPECT_DOUBLE_EQ(thresholdToDb(defaultThreshold), 15.0);
    EXPECT_DOUBLE_EQ(thresholdToDb(0), 0.0);
    EXPECT_EQ(strengthFromDb(-10.0), 0);
    EXPECT_EQ(strengthFromDb(15.0), defaultThreshold);
    EXPECT_EQ(strengthFromDb(60.0), 65535);
    EXPECT_EQ(strengthFromDb(90.0), 65535);
}

TEST(Detector, StationNeedsAllThreeSigns) {
    EXPECT_TRUE(isStation(20.0, 20.0, 12500.0, 15.0));
    EXPECT_FALSE(isStation(14.9, 20.0, 0.0, 15.0));       // not clear of the noise
    EXPECT_FALSE(isStation(20.0, 5.0, 0.0, 15.0));        // discriminator not quiet
    EXPECT_FALSE(isStation(40.0, 40.0, -12600.0, 15.0));  // the carrier belongs to the next grid point
}

TEST(StereoBlend, RampsWithPilotAndNoise) {
    PilotReading pilot;
    pilot.locked = true;
    pilot.level = 0.09;
    EXPECT_EQ(stereoBlend(pilot, 30.0), 1.0);
    EXPECT_EQ(stereoBlend(pilot, 26.0), 1.0);
    EXPECT_DOUBLE_EQ(stereoBlend(pilot, 22.0), 0.5);
    EXPECT_EQ(stereoBlend(pilot, 18.0), 0.0);
    pilot.level = 0.0325;  // half-way up the pilot ramp
    EXPECT_DOUBLE_EQ(stereoBlend(pilot, 40.0), 0.5);
    pilot.locked = false;
    pilot.level = 0.09;
    EXPECT_EQ(stereoBlend(pilot, 40.0), 0.0);
}

}  // namespace
}  // namespace orv::receiver
