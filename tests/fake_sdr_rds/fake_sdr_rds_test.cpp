// The end-to-end suite's SDR (our SoapySDR module, loaded through SoapySDR
// as the program loads it) decoded by our receiver in real time: the fixed
// name within two seconds of the tuning with no more than 1 % of blocks
// lost, the text and the clock; the scrolling name never mixed; the module's
// and the receiver's CPU over the run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <set>
#include <thread>

#include "platform/linux/iq_player.h"
#include "platform/soapy/soapy_source.h"

namespace orv::linuxcard {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

TEST(FakeSdrRds, ReceivedByOurReceiver) {
    SdrSettings settings;
    settings.args = "driver=orvantafake";
    soapy::SoapySource source(settings);
    std::string why;
    ASSERT_TRUE(source.open(why)) << why;
    IqPlayer player(source, nullptr, PlayerConfig{});
    player.start(true);
    const double cpuStart = processCpuSeconds();
    const auto start = Clock::now();

    player.tune(98.1e6);  // the first station: a fixed name
    auto tuned = Clock::now();
    while (player.rds().ps.empty() && Clock::now() - tuned < 4s) std::this_thread::sleep_for(10ms);
    const double nameSeconds = seconds(Clock::now() - tuned);
    EXPECT_EQ(player.rds().ps, "ORVANTA ");
    EXPECT_LE(nameSeconds, 2.0);
    while (Clock::now() - tuned < 4s) std::this_thread::sleep_for(10ms);
    const receiver::RdsState fixed = player.rds();
    const uint64_t blocks = fixed.blocksGood + fixed.blocksCorrected + fixed.blocksBad;
    std::printf("98.1: name after %.2f s; %llu blocks, %llu corrected, %llu bad\n", nameSeconds,
                (unsigned long long)blocks, (unsigned long long)fixed.blocksCorrected,
                (unsigned long long)fixed.blocksBad);
    EXPECT_GE(blocks, 150u);
    EXPECT_LT(double(fixed.blocksBad), 0.01 * double(blocks));
    EXPECT_EQ(fixed.pi, 0xC301);
    EXPECT_EQ(fixed.text, "Orvanta's simulated band: tones and chords all day");
    EXPECT_TRUE(fixed.clock.valid);

    player.tune(98.6e6);  // the second: a name scrolled in pieces of eight
    EXPECT_EQ(player.rds().ps, "");
    const std::set<std::string> sent = {"", "WELCOME ", "TO THE  ", "ORVANTA ", "SCROLLER"};
    std::set<std::string> shown;
    tuned = Clock::now();
    while (Clock::now() - tuned < 5s) {
        const std::string ps = player.rds().ps;
        ASSERT_TRUE(sent.count(ps)) << "showed \"" << ps << "\"";
        shown.insert(ps);
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(shown.count("WELCOME ") && shown.count("TO THE  "));
    const double cpu = processCpuSeconds() - cpuStart;
    const double wall = seconds(Clock::now() - start);
    std::printf("module and receiver: %.1f %% of one core over %.1f s\n", 100.0 * cpu / wall, wall);
}

}  // namespace
}  // namespace orv::linuxcard
