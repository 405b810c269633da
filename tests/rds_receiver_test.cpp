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
}

}  // namespace
}  // namespace orv::receiver
