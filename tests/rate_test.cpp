// The resampler's count and the rate loop that steers it against clock differences.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "receiver/resampler.h"

namespace orv::receiver {
namespace {

constexpr double audioRate = 64000.0, soundRate = 48000.0;

size_t resampleCount(StereoResampler& r, size_t inputs, size_t block) {
    std::vector<float> in(block, 0.25f), outA, outB;
    size_t produced = 0;
    for (size_t done = 0; done < inputs; done += block) {
        outA.clear();
        outB.clear();
        const size_t n = std::min(block, inputs - done);
        r.process(in.data(), in.data(), n, outA, outB);
        EXPECT_EQ(outA.size(), outB.size());
        produced += outA.size();
    }
    return produced;
}

TEST(RateResampler, ExactCountWithoutTrimOverFiveSeconds) {
    StereoResampler r(audioRate, soundRate);
    EXPECT_NEAR(double(resampleCount(r, size_t(5 * audioRate), 997)), 5 * soundRate, 1.0);
}

TEST(RateResampler, TrimMovesTheCountByItsPpm) {
    for (double ppm : {-100.0, 100.0, 400.0}) {
        StereoResampler r(audioRate, soundRate);
        r.setTrim(ppm * 1e-6);
        EXPECT_NEAR(double(resampleCount(r, size_t(5 * audioRate), 4096)), 5 * soundRate * (1 + ppm * 1e-6), 1.0)
            << ppm;
    }
}

TEST(RateResampler, PassesAudioAndStopsThePilot) {
    StereoResampler r(audioRate, soundRate);
    auto gainAt = [&](double hz) {
        r.reset();
        std::vector<float> in(size_t(audioRate / 10)), outA, outB;
        for (size_t i = 0; i < in.size(); ++i) in[i] = float(std::sin(2 * M_PI * hz * double(i) / audioRate));
        r.process(in.data(), in.data(), in.size(), outA, outB);
        double peak = 0.0;
        for (size_t i = outA.size() / 2; i < outA.size(); ++i) peak = std::max(peak, double(std::fabs(outA[i])));
        return 20.0 * std::log10(peak);
    };
    EXPECT_NEAR(gainAt(1000.0), 0.0, 0.05);
    EXPECT_NEAR(gainAt(15000.0), 0.0, 0.1);
    EXPECT_LT(gainAt(19000.0), -50.0);
}

// A model of the sound path for one simulated hour: the receiver delivers
// 48 kHz by its crystal in 8 ms bursts, the sound card takes 512 frames by
// its own; the controller sees the fill at each callback.
struct Drift {
    double maxExcursion;  // frames off target after the first minute
    bool underrun, overrun;
};

Drift simulateHour(double radioPpm, double cardPpm, bool steer) {
    constexpr double target = 4800.0, capacity = 2 * target;
    constexpr double burstSeconds = 0.008, callbackFrames = 512.0;
    RateController controller(target);
    double fill = target, trim = 0.0, produced = 0.0, consumed = 0.0;
    double nextBurst = 0.0, nextCallback = 0.0, lastCallback = 0.0;
    const double callbackSeconds = callbackFrames / (soundRate * (1 + cardPpm * 1e-6));
    Drift d{0.0, false, false};
    for (double t = 0.0; t < 3600.0;) {
        if (nextBurst <= nextCallback) {
            t = nextBurst;
            const double frames = soundRate * burstSeconds * (1 + radioPpm * 1e-6) * (1 + trim);
            produced += frames;
            nextBurst += burstSeconds;
        } else {
            t = nextCallback;
            consumed += callbackFrames;
            nextCallback += callbackSeconds;
            fill = target + std::floor(produced) - consumed;
            if (fill < 0) d.underrun = true;
            if (fill > capacity) d.overrun = true;
            if (steer) trim = controller.update(fill, t - lastCallback);
            lastCallback = t;
            if (t > 60.0) d.maxExcursion = std::max(d.maxExcursion, std::fabs(fill - target));
        }
    }
    return d;
}

TEST(RateLoop, HoldsTheQueueForAnHourAgainstHundredPpm) {
    for (double radio : {-100.0, 0.0, 100.0}) {
        for (double card : {-100.0, 100.0}) {
            const Drift d = simulateHour(radio, card, true);
            EXPECT_FALSE(d.underrun) << radio << " " << card;
            EXPECT_FALSE(d.overrun) << radio << " " << card;
            EXPECT_LT(d.maxExcursion, 1200.0) << radio << " ppm radio, " << card << " ppm card";
        }
    }
}

TEST(RateLoop, WithoutSteeringTheSameClocksRunTheQueueDry) {
    // The model has teeth: 200 ppm apart is 35,000 frames an hour.
    EXPECT_TRUE(simulateHour(-100.0, 100.0, false).underrun);
    EXPECT_TRUE(simulateHour(100.0, -100.0, false).overrun);
}

TEST(RateLoop, SettlesOnTheClockDifferenceAndStaysWithinItsLimit) {
    RateController c(4800.0);
    double fill = 4800.0;
    for (int i = 0; i < 360000; ++i) {  // an hour in 10 ms steps, the radio 150 ppm fast
        fill += soundRate * 0.01 * (150e-6 + c.trim());
        c.update(fill, 0.01);
        ASSERT_LE(std::fabs(c.trim()), RateController::maxTrim);
    }
    EXPECT_NEAR(c.trim(), -150e-6, 1e-6);
    EXPECT_NEAR(fill, 4800.0, 5.0);
    // A queue stuck far too full asks for the slowest rate, no more.
    for (int i = 0; i < 1000; ++i) c.update(1e6, 0.01);
    EXPECT_DOUBLE_EQ(c.trim(), -RateController::maxTrim);
}

}  // namespace
}  // namespace orv::receiver
