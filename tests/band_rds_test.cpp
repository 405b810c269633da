// The simulated band's RDS through our receiver, as the simulated card
// plays it: the fixed names within two seconds with hardly a block lost,
// the text and its change with the A/B flag, accented text as UTF-8, TA and
// TP, the clock as set, the scrolling name never shown mixed, and nothing
// from the stations that send none.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "receiver/receiver.h"
#include "receiver/tuning.h"
#include "synth/band_synth.h"

namespace orv::synth {
namespace {

constexpr double rate = 1024000.0;
constexpr size_t feedPairs = 10240;  // 10 ms a call
const std::vector<double> band = {87.6, 89.3, 91.4, 94.8, 98.1, 101.3, 104.6, 106.9};

struct Heard {
    double nameSeconds = -1.0;            // when the first name showed whole
    std::vector<std::string> names;        // every name shown, in order, each once when it changed
    std::vector<std::string> texts;        // the same for the text
    receiver::RdsState last;
    double blockErrorRate() const {
        const double blocks = double(last.blocksGood + last.blocksCorrected + last.blocksBad);
        return blocks > 0 ? double(last.blocksBad) / blocks : 1.0;
    }
};

void noteChange(std::vector<std::string>& seen, const std::string& now) {
    if (!now.empty() && (seen.empty() || seen.back() != now)) seen.push_back(now);
}

// Plays the band tuned to the station for the given seconds through the
// receiver, watching the RDS state after every 10 ms.
Heard listen(double stationMHz, double seconds, const RdsTime& time = RdsTime{}) {
    BandSynthesizer synth(simulatedBand(band), rate, receiver::europeDeemphasisSeconds);
    synth.setTime(time);
    synth.tune(receiver::hardwareFrequencyFor(stationMHz * 1e6));
    receiver::ReceiverConfig config;
    config.inputRate = rate;
    receiver::Receiver r(config);
    std::vector<int8_t> iq(feedPairs * 2);
    std::vector<float> audio;
    Heard h;
    const size_t calls = size_t(seconds * rate / double(feedPairs));
    for (size_t call = 0; call < calls; ++call) {
        synth.generate(iq.data(), feedPairs);
        audio.clear();
        r.process(iq.data(), feedPairs, receiver::IqFormat::CS8, 0, audio);
        const receiver::RdsState s = r.rds();
        if (h.nameSeconds < 0.0 && !s.ps.empty()) h.nameSeconds = double((call + 1) * feedPairs) / rate;
        noteChange(h.names, s.ps);
        noteChange(h.texts, s.text);
    }
    h.last = r.rds();
    std::printf("%.1f MHz: name after %.2f s, blocks %llu good %llu corrected %llu bad\n", stationMHz, h.nameSeconds,
                (unsigned long long)h.last.blocksGood, (unsigned long long)h.last.blocksCorrected,
                (unsigned long long)h.last.blocksBad);
    return h;
}

TEST(SimulatedBandRds, FixedNameWithinTwoSecondsTextChangesWithItsFlagClockAsSet) {
    RdsTime time;
    time.mjd = 61381;  // 2026-12-07
    time.utcHour = 23;
    time.utcMinute = 30;
    time.offsetHalfHours = 2;
    const Heard h = listen(87.6, 6.0, time);  // first place
    EXPECT_GT(h.nameSeconds, 0.0);
    EXPECT_LE(h.nameSeconds, 2.0);
    EXPECT_EQ(h.names, std::vector<std::string>{"ORVANTA "});
    EXPECT_LT(h.blockErrorRate(), 0.01);
    EXPECT_EQ(h.last.pi, 0xC301);
    EXPECT_STREQ(h.last.ptyName, "Pop Music");
    EXPECT_TRUE(h.last.tp);
    EXPECT_FALSE(h.last.ta);
    // The first text, then the next one at the flag's change, never a mix.
    EXPECT_EQ(h.texts, (std::vector<std::string>{"Orvanta's simulated band: tones and chords all day",
                                                 "Next: more tones"}));
    ASSERT_TRUE(h.last.clock.valid);
    EXPECT_EQ(h.last.clock.year, 2026);
    EXPECT_EQ(h.last.clock.month, 12);
    EXPECT_EQ(h.last.clock.day, 8);
    EXPECT_EQ(h.last.clock.hour, 0);
    EXPECT_EQ(h.last.clock.minute, 30);
}

// A mono station (no pilot to lock to) puts a longer text through its name
// eight characters at a time: each piece shows whole or not at all.
TEST(SimulatedBandRds, ScrollingNameNeverShowsMixed) {
    const Heard h = listen(89.3, 6.0);  // second place
    const std::set<std::string> sent = {"WELCOME ", "TO THE  ", "ORVANTA ", "SCROLLER"};
    for (const std::string& name : h.names) EXPECT_TRUE(sent.count(name)) << "showed \"" << name << "\"";
    ASSERT_GE(h.names.size(), 2u);
    EXPECT_EQ(h.names[0], "WELCOME ");
    EXPECT_EQ(h.names[1], "TO THE  ");
    EXPECT_LT(h.blockErrorRate(), 0.01);
}

TEST(SimulatedBandRds, AccentedTextAsUtf8AndTrafficFlags) {
    const Heard h = listen(98.1, 3.0);  // fifth place
    EXPECT_LE(h.nameSeconds, 2.0);
    EXPECT_EQ(h.last.ps, "KLASSIK ");
    EXPECT_EQ(h.last.text, "Grüße aus dem Simulator - Kälte, Café");
    EXPECT_TRUE(h.last.tp);
    EXPECT_TRUE(h.last.ta);
    EXPECT_STREQ(h.last.ptyName, "Serious Classical");
    EXPECT_LT(h.blockErrorRate(), 0.01);
}

TEST(SimulatedBandRds, StationsWithoutRdsGiveNothing) {
    // Noise may pass for a block now and then; it never makes a station of it.
    const Heard h = listen(91.4, 2.0);  // third place: stereo, no RDS
    EXPECT_FALSE(h.last.piValid);
    EXPECT_FALSE(h.last.ptyValid);
    EXPECT_TRUE(h.names.empty());
    EXPECT_TRUE(h.texts.empty());
    EXPECT_LE(h.last.blocksGood + h.last.blocksCorrected, 2u);
    EXPECT_FALSE(bandRds(2).on);
    EXPECT_TRUE(bandRds(8).on);  // the places repeat down a longer list
}

// The clock group's fields from this machine's time: the day and UTC time,
// the local offset in the half hours the group can carry.
TEST(SimulatedBandRds, ClockFieldsFromUniversalTime) {
    const RdsTime epoch = rdsTime(0, 0);
    EXPECT_EQ(epoch.mjd, 40587u);
    EXPECT_EQ(epoch.utcHour, 0);
    const RdsTime t = rdsTime(1796686200, -300);  // 2026-12-07 23:30 UTC, New York
    EXPECT_EQ(t.mjd, 61381u);
    EXPECT_EQ(t.utcHour, 23);
    EXPECT_EQ(t.utcMinute, 30);
    EXPECT_EQ(t.offsetHalfHours, -10);
    EXPECT_EQ(rdsTime(1796686200, 345).offsetHalfHours, 12);  // +5:45 to the nearest half hour
    const receiver::RdsClock local = receiver::localClock(t.mjd, t.utcHour, t.utcMinute, t.offsetHalfHours);
    EXPECT_EQ(local.day, 7);
    EXPECT_EQ(local.hour, 18);
}

}  // namespace
}  // namespace orv::synth
