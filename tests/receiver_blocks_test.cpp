// The receiver's building blocks where a design slip would hide behind the
// end-to-end figures: half-band and channel filters, the decimators' counts,
// the arctangent, the discriminator's scale and the de-emphasis fit.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "receiver/filters.h"
#include "receiver/fm_discriminator.h"
#include "receiver/stereo.h"

namespace orv::receiver {
namespace {

double db(double gain) { return 20.0 * std::log10(gain); }

// Worst gain of taps over [from, to] (fractions of the sample rate), dB.
double worstDb(const std::vector<float>& taps, double from, double to, bool largest) {
    double worst = largest ? -1e9 : 1e9;
    for (int i = 0; i <= 400; ++i) {
        const double g = db(firMagnitude(taps, from + (to - from) * i / 400.0));
        worst = largest ? std::max(worst, g) : std::min(worst, g);
    }
    return worst;
}

TEST(ReceiverFilters, HalfbandShape) {
    const std::vector<float> h = halfbandLowpass(35, kaiserBeta(60.0));
    ASSERT_EQ(h.size(), 35u);
    EXPECT_EQ(h[17], 0.5f);
    for (int k = 2; k <= 16; k += 2) {
        EXPECT_EQ(h[size_t(17 + k)], 0.0f);
        EXPECT_EQ(h[size_t(17 - k)], 0.0f);
    }
    EXPECT_NEAR(firMagnitude(h, 0.0), 1.0, 1e-6);
    EXPECT_THROW(halfbandLowpass(33, 5.0), std::invalid_argument);
}

// The last stage at 512 kS/s keeps the channel (100 kHz) flat and stops what
// folds onto it (156..256 kHz); the earlier stages stop what folds onto the
// later stages' passbands.
TEST(ReceiverFilters, HalfbandStagesStopWhatWouldFoldIntoTheChannel) {
    const std::vector<float> last = halfbandLowpass(35, kaiserBeta(60.0));
    EXPECT_GT(worstDb(last, 0.0, 100.0 / 512.0, false), -0.01);
    EXPECT_LT(worstDb(last, 156.0 / 512.0, 0.5, true), -55.0);
    const std::vector<float> second = halfbandLowpass(19, kaiserBeta(60.0));
    EXPECT_LT(worstDb(second, 384.0 / 1024.0, 0.5, true), -55.0);
    const std::vector<float> first = halfbandLowpass(11, kaiserBeta(60.0));
    EXPECT_LT(worstDb(first, 896.0 / 2048.0, 0.5, true), -55.0);
}

TEST(ReceiverFilters, DecimatorsGiveCeilOfInputOverFactorHoweverCut) {
    HalfbandDecimator half(halfbandLowpass(11, 5.0));
    FirDecimator<float> quarter(kaiserLowpass(39, 0.1, 5.0), 4);
    std::vector<Complex> in(1000, Complex(1.0f, -1.0f)), out;
    std::vector<float> inReal(1000, 1.0f), outReal;
    size_t total = 0;
    for (size_t n : {1, 2, 3, 997, 1}) {
        half.process(in.data(), n, out);
        quarter.process(inReal.data(), n, outReal);
        total += n;
        EXPECT_EQ(out.size(), (total + 1) / 2);
        EXPECT_EQ(outReal.size(), (total + 3) / 4);
    }
    // Unit DC gain once the history is full.
    EXPECT_NEAR(out.back().real(), 1.0f, 1e-5f);
    EXPECT_NEAR(out.back().imag(), -1.0f, 1e-5f);
    EXPECT_NEAR(outReal.back(), 1.0f, 1e-5f);
}

TEST(ReceiverFilters, ChannelFilterKeepsTheStationAndDropsTheBandEdge) {
    const std::vector<float> channel = kaiserLowpass(33, 112.0 / 256.0, kaiserBeta(50.0));
    EXPECT_GT(worstDb(channel, 0.0, 90.0 / 256.0, false), -0.1);
    EXPECT_LT(db(firMagnitude(channel, 128.0 / 256.0)), -40.0);
}

TEST(ReceiverDiscriminator, ArctangentWithinAMicroradianAllRound) {
    double worst = 0.0;
    for (int i = 0; i < 3600; ++i) {
        const double a = -M_PI + 2.0 * M_PI * (i + 0.5) / 3600.0;
        for (float r : {1e-3f, 1.0f, 300.0f}) {
            const float y = float(r * std::sin(a)), x = float(r * std::cos(a));
            worst = std::max(worst, std::fabs(double(fastAtan2(y, x)) - std::atan2(double(y), double(x))));
        }
    }
    EXPECT_LT(worst, 2e-6);
    EXPECT_EQ(fastAtan2(0.0f, 0.0f), 0.0f);
}

TEST(ReceiverDiscriminator, ReadsFrequencyAsAFractionOfSeventyFiveKilohertz) {
    constexpr double rate = 256000.0;
    FmDiscriminator d(rate);
    for (double hz : {30000.0, -60000.0}) {
        d.reset();
        std::vector<Complex> x(64);
        for (size_t i = 0; i < x.size(); ++i) x[i] = std::polar(0.01f, float(2.0 * M_PI * hz * double(i) / rate));
        std::vector<float> out(x.size());
        d.process(x.data(), x.size(), out.data());
        EXPECT_NEAR(out.back(), hz / fullDeviationHz, 1e-4) << hz;
    }
    EXPECT_NEAR(discriminatorDroop(38000.0, rate), 0.96415, 1e-4);
}

TEST(ReceiverDeemphasis, FitFollowsTheAnalogueCurveToSixteenKilohertz) {
    for (double tau : {50e-6, 75e-6}) {
        const Deemphasis d(tau, 48000.0);
        for (double hz = 100.0; hz <= 16000.0; hz += 100.0) {
            const double wt = 2.0 * M_PI * hz * tau;
            EXPECT_NEAR(db(d.magnitude(hz)), -10.0 * std::log10(1.0 + wt * wt), 0.06) << tau << " " << hz;
        }
        // And the running filter is the one designed: unit gain at DC.
        Deemphasis running(tau, 48000.0);
        float y = 0.0f;
        for (int i = 0; i < 48000; ++i) y = running.step(1.0f);
        EXPECT_NEAR(y, 1.0f, 1e-4f);
    }
}

}  // namespace
}  // namespace orv::receiver
