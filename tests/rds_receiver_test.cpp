// RDS through the whole receiver on synthesized bands: station name, text,
// programme type and clock at 20 dB RF SNR, with and without a pilot, and
// a retune that drops all of it at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "receiver/receiver.h"
#include "receiver/test_band.h"
#include "receiver/tuning.h"

namespace orv::receiver {
namespace {

using testband::Band;
using testband::RdsProgramme;
using testband::TestStation;

constexpr double inputRate = 1024000.0;
constexpr size_t feedPairs = 10240;  // 10 ms a call

TestStation rdsStation(double snrDb) {
    TestStation s;
    s.offsetHz = stationOffsetHz;
    s.snrDb = snrDb;
    s.left = {{1000.0, 0.4}};
    s.right = {{2500.0, 0.4}};
    s.rds.on = true;
    s.rds.pi = 0xD3C2;
    s.rds.pty = 10;
    s.rds.tp = true;
    s.rds.names = {"ORVANTA "};
    s.rds.texts = {"Tuned to the test band"};
    s.rds.clock = true;
    s.rds.mjd = 60000;  // 2023-02-25
    s.rds.utcHour = 23;
    s.rds.utcMinute = 45;
    s.rds.offsetHalfHours = 2;
    return s;
}

std::vector<int8_t> band(const TestStation& s, double seconds, uint32_t seed = 1) {
    Band b;
    b.sampleRate = inputRate;
    b.seconds = seconds;
    b.seed = seed;
    return testband::makeBandCs8(b, {s});
}

struct Reception {
    double nameSeconds = -1.0;  // when the name first showed
    RdsState last;
};

// Feeds the band in 10 ms calls, watching when the name appears.
Reception receive(Receiver& r, const std::vector<int8_t>& iq, const std::string& name, uint32_t generation = 0) {
    Reception run;
    std::vector<float> audio;
    const size_t pairs = iq.size() / 2;
    for (size_t i = 0; i < pairs; i += feedPairs) {
        audio.clear();
        r.process(iq.data() + 2 * i, std::min(feedPairs, pairs - i), IqFormat::CS8, generation, audio);
        if (run.nameSeconds < 0.0 && r.rds().ps == name) run.nameSeconds = double(i + feedPairs) / inputRate;
    }
    run.last = r.rds();
    return run;
}

TEST(RdsReceiver, TwentyDecibelsNameWithinTwoSecondsAndFewBadBlocks) {
    ReceiverConfig config;
    config.inputRate = inputRate;
    Receiver r(config);
    const Reception run = receive(r, band(rdsStation(20.0), 3.0), "ORVANTA ");
    const RdsState& s = run.last;
    const uint64_t blocks = s.blocksGood + s.blocksCorrected + s.blocksBad;
    std::printf("name after %.2f s; blocks %llu good, %llu corrected, %llu bad\n", run.nameSeconds,
                (unsigned long long)s.blocksGood, (unsigned long long)s.blocksCorrected,
                (unsigned long long)s.blocksBad);
    EXPECT_GT(run.nameSeconds, 0.0);
    EXPECT_LE(run.nameSeconds, 2.0);
    EXPECT_TRUE(s.synchronized);
    EXPECT_GE(blocks, 130u);
    EXPECT_LT(double(s.blocksBad), 0.01 * double(blocks));
    EXPECT_EQ(s.pi, 0xD3C2);
    EXPECT_EQ(s.text, "Tuned to the test band");
    EXPECT_STREQ(s.ptyName, "Pop Music");
    EXPECT_TRUE(s.tp);
    EXPECT_FALSE(s.ta);
    ASSERT_TRUE(s.clock.valid);
    EXPECT_EQ(s.clock.year, 2023);
    EXPECT_EQ(s.clock.month, 2);
    EXPECT_EQ(s.clock.day, 26);
    EXPECT_EQ(s.clock.hour, 0);
    EXPECT_EQ(s.clock.minute, 45);
    EXPECT_EQ(s.clock.offsetMinutes, 60);
}

// The subcarrier in quadrature with the pilot's third harmonic (both are
// allowed), and a mono station with no pilot to lock to: the carrier loop
// finds the phase either way. The mono station is North American (75 us),
// so its programme type reads from that table.
struct Variant {
    bool stereo;
    double phase;
    double deemphasisSeconds;
    const char* ptyName;
};
class RdsVariants : public ::testing::TestWithParam<Variant> {};

TEST_P(RdsVariants, BlocksFoundAndFewLost) {
    const Variant v = GetParam();
    TestStation station = rdsStation(20.0);
    station.stereo = v.stereo;
    station.rds.phase = v.phase;
    ReceiverConfig config;
    config.inputRate = inputRate;
    config.deemphasisSeconds = v.deemphasisSeconds;
    Receiver r(config);
    const RdsState s = receive(r, band(station, 1.2, 4), "").last;
    EXPECT_EQ(r.measurement().pilot, v.stereo);
    EXPECT_TRUE(s.synchronized);
    EXPECT_GE(s.blocksGood + s.blocksCorrected, 45u);
    EXPECT_LE(s.blocksBad, 1u);
    EXPECT_EQ(s.pi, 0xD3C2);
    EXPECT_STREQ(s.ptyName, v.ptyName);
}

INSTANTIATE_TEST_SUITE_P(Receiver, RdsVariants,
                         ::testing::Values(Variant{true, 1.5707963, europeDeemphasisSeconds, "Pop Music"},
                                           Variant{false, 0.7, americaDeemphasisSeconds, "Country"}));

// The signal gone for half a second (a station without RDS on the same
// frequency would do the same): sync goes, and comes back with the signal.
TEST(RdsReceiver, SyncLostOnNoiseAndFoundAgain) {
    TestStation station = rdsStation(25.0);
    TestStation plain = station;
    plain.rds.on = false;
    std::vector<int8_t> iq = band(station, 0.6, 1);
    const size_t firstPart = iq.size() / 2;
    const std::vector<int8_t> gap = band(plain, 0.5, 2);
    iq.insert(iq.end(), gap.begin(), gap.end());
    const size_t secondPart = iq.size() / 2;
    const std::vector<int8_t> back = band(station, 0.6, 3);
    iq.insert(iq.end(), back.begin(), back.end());

    ReceiverConfig config;
    config.inputRate = inputRate;
    Receiver r(config);
    std::vector<float> audio;
    bool syncedBeforeGap = false, lostInGap = false, syncedAfter = false;
    uint64_t badAtGapEnd = 0;
    for (size_t i = 0; i < iq.size() / 2; i += feedPairs) {
        r.process(iq.data() + 2 * i, feedPairs, IqFormat::CS8, 0, audio);
        const RdsState s = r.rds();
        if (i + feedPairs == firstPart) syncedBeforeGap = s.synchronized;
        if (i < secondPart && i >= firstPart && !s.synchronized) lostInGap = true;
        if (i + feedPairs == secondPart) badAtGapEnd = s.blocksBad;
        syncedAfter = s.synchronized;
    }
    EXPECT_TRUE(syncedBeforeGap);
    EXPECT_TRUE(lostInGap);
    EXPECT_GE(badAtGapEnd, 8u);   // the failures that gave the sync up
    EXPECT_LE(badAtGapEnd, 17u);  // and not a block counted once it was gone
    EXPECT_TRUE(syncedAfter);
    EXPECT_EQ(r.rds().pi, 0xD3C2);
}

// A retune empties the RDS state the moment it is asked for, blocks still
// queued for the old tuning change nothing, and the new station's data
// starts from nothing (the old name never shows again).
TEST(RdsReceiver, RetuneDropsEverythingAtOnce) {
    ReceiverConfig config;
    config.inputRate = inputRate;
    Receiver r(config);
    r.retune(1);
    const std::vector<int8_t> oldIq = band(rdsStation(30.0), 2.0, 1);
    ASSERT_EQ(receive(r, oldIq, "ORVANTA ", 1).last.ps, "ORVANTA ");
    ASSERT_TRUE(r.rds().clock.valid);

    r.retune(2);
    const RdsState cleared = r.rds();
    EXPECT_EQ(cleared.generation, 2u);
    EXPECT_FALSE(cleared.synchronized || cleared.piValid || cleared.ptyValid || cleared.clock.valid);
    EXPECT_EQ(cleared.ps, "");
    EXPECT_EQ(cleared.text, "");
    EXPECT_EQ(cleared.blocksGood + cleared.blocksCorrected + cleared.blocksBad, 0u);
    std::vector<float> audio;
    r.process(oldIq.data(), oldIq.size() / 2, IqFormat::CS8, 1, audio);
    EXPECT_EQ(r.rds().ps, "");
    EXPECT_FALSE(r.rds().piValid);

    TestStation other = rdsStation(30.0);
    other.rds.pi = 0x5A5A;
    other.rds.names = {"ELSEWHRE"};
    other.rds.clock = false;
    const std::vector<int8_t> newIq = band(other, 0.5, 2);
    for (size_t i = 0; i < newIq.size() / 2; i += feedPairs) {
        r.process(newIq.data() + 2 * i, feedPairs, IqFormat::CS8, 2, audio);
        ASSERT_NE(r.rds().ps, "ORVANTA ");
        ASSERT_FALSE(r.rds().clock.valid);
    }
    EXPECT_TRUE(r.rds().piValid);
    EXPECT_EQ(r.rds().pi, 0x5A5A);
}

}  // namespace
}  // namespace orv::receiver
