// The receiver end to end on synthesized bands: de-emphasis, stereo
// separation and channel order, mono, sample counts, input formats and retune.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "receiver/receiver.h"
#include "receiver/test_band.h"
#include "receiver/tuning.h"

namespace orv::receiver {
namespace {

using testband::Band;
using testband::TestStation;
using testband::Tone;

constexpr double rate48 = Receiver::outputRate;
constexpr size_t measureFrames = 4800;          // 100 ms: tones at multiples of 10 Hz sit on bins
constexpr size_t measureStart = size_t(0.22 * rate48);  // past the first window and the blend's ramp
constexpr double signalSeconds = 0.33;

double db(double ratio) { return 10.0 * std::log10(ratio); }

// Feeds CS8 to the receiver in blocks of an awkward size, as a driver might.
std::vector<float> receive(Receiver& r, const std::vector<int8_t>& iq, uint32_t generation = 0,
                           size_t block = 12345) {
    std::vector<float> audio;
    const size_t pairs = iq.size() / 2;
    for (size_t i = 0; i < pairs; i += block)
        r.process(iq.data() + 2 * i, std::min(block, pairs - i), IqFormat::CS8, generation, audio);
    return audio;
}

TestStation stationAtCentre(std::vector<Tone> left, std::vector<Tone> right, double snrDb) {
    TestStation s;
    s.offsetHz = stationOffsetHz;
    s.snrDb = snrDb;
    s.left = std::move(left);
    s.right = std::move(right);
    return s;
}

double toneDb(const std::vector<float>& audio, int channel, double hz) {
    return db(testband::tonePower(audio, 2, channel, measureStart, measureFrames, hz, rate48));
}

// Tones sent flat (no pre-emphasis) come out through the de-emphasis alone:
// 0.9 of their amplitude (the pilot has the rest of the deviation) times 1/|1 + j w tau|.
class DeemphasisResponse : public ::testing::TestWithParam<double> {};

TEST_P(DeemphasisResponse, OneAndTenKilohertzFollowTheAnalogueCurve) {
    const double tau = GetParam();
    TestStation s = stationAtCentre({{1000.0, 0.3}, {10000.0, 0.3}}, {{1000.0, 0.3}, {10000.0, 0.3}}, 40.0);
    s.preemphasisSeconds = 0.0;
    Band band;
    band.seconds = signalSeconds;
    ReceiverConfig config;
    config.deemphasisSeconds = tau;
    Receiver r(config);
    const std::vector<float> audio = receive(r, testband::makeBandCs8(band, {s}));
    for (double hz : {1000.0, 10000.0}) {
        const double wt = 2.0 * M_PI * hz * tau;
        const double expectedDb = 20.0 * std::log10(0.9 * 0.3 / std::sqrt(1.0 + wt * wt));
        for (int channel : {0, 1})
            EXPECT_NEAR(toneDb(audio, channel, hz), expectedDb, 0.3) << hz << " Hz, channel " << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(Receiver, DeemphasisResponse,
                         ::testing::Values(europeDeemphasisSeconds, americaDeemphasisSeconds));

// One channel modulated at 30 dB RF SNR: the other must stay 40 dB down in
// the tone's bins with the blend the receiver chooses itself, and the tone
// must come out of its own side at its own level (pre- and de-emphasis cancel).
struct OneSided {
    int channel;
    double hz;
};
class StereoSeparation : public ::testing::TestWithParam<OneSided> {};

TEST_P(StereoSeparation, FortyDecibelsAtThirtyDecibelsSnrAndNotSwapped) {
    const OneSided p = GetParam();
    const std::vector<Tone> tone = {{p.hz, 0.5}};
    const TestStation s = p.channel == 0 ? stationAtCentre(tone, {}, 30.0) : stationAtCentre({}, tone, 30.0);
    Band band;
    band.seconds = signalSeconds;
    Receiver r({});
    const std::vector<float> audio = receive(r, testband::makeBandCs8(band, {s}));
    EXPECT_DOUBLE_EQ(r.blend(), 1.0);
    const double own = toneDb(audio, p.channel, p.hz);
    const double other = toneDb(audio, 1 - p.channel, p.hz);
    EXPECT_NEAR(own, 20.0 * std::log10(0.9 * 0.5), 0.3);
    EXPECT_GE(own - other, 40.0) << "separation at " << p.hz << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Receiver, StereoSeparation,
                         ::testing::Values(OneSided{0, 1000.0}, OneSided{1, 1000.0}, OneSided{0, 5000.0}));

TEST(Receiver, MonoModePlaysLeftPlusRightOnBothSides) {
    const TestStation s = stationAtCentre({{1000.0, 0.5}}, {{3000.0, 0.5}}, 35.0);
    Band band;
    band.seconds = signalSeconds;
    ReceiverConfig config;
    config.stereo = false;
    Receiver r(config);
    const std::vector<float> audio = receive(r, testband::makeBandCs8(band, {s}));
    EXPECT_EQ(r.blend(), 0.0);
    EXPECT_EQ(r.measurement().blend, 0.0);
    EXPECT_TRUE(r.measurement().pilot);  // the lamp still knows
    for (size_t i = measureStart; i < measureStart + measureFrames; ++i) ASSERT_EQ(audio[2 * i], audio[2 * i + 1]);
    // Each tone at half its level: (L + R) / 2.
    EXPECT_NEAR(toneDb(audio, 0, 1000.0), 20.0 * std::log10(0.9 * 0.25), 0.3);
    EXPECT_NEAR(toneDb(audio, 0, 3000.0), 20.0 * std::log10(0.9 * 0.25), 0.3);
}

TEST(Receiver, NoPilotMeansMono) {
    TestStation s = stationAtCentre({{1000.0, 0.5}}, {}, 35.0);
    s.stereo = false;
    Band band;
    band.seconds = signalSeconds;
    Receiver r({});
    const std::vector<float> audio = receive(r, testband::makeBandCs8(band, {s}));
    EXPECT_EQ(r.blend(), 0.0);
    EXPECT_FALSE(r.measurement().pilot);
    EXPECT_NEAR(toneDb(audio, 0, 1000.0), toneDb(audio, 1, 1000.0), 0.01);
}

// Without steering the output is exactly 48 kHz per second of input, however it is cut.
struct CountCase {
    double inputRate;
    size_t block;
};
class SampleCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(SampleCount, FortyEightThousandFramesPerSecondOfInput) {
    const CountCase c = GetParam();
    ReceiverConfig config;
    config.inputRate = c.inputRate;
    Receiver r(config);
    // One second, then half a second more.
    const size_t half = size_t(c.inputRate / 2);
    std::vector<int8_t> iq(2 * half);
    uint32_t x = 12345;
    for (int8_t& v : iq) v = int8_t((x = x * 1103515245u + 12345u) >> 24);
    std::vector<float> audio;
    size_t frames = 0;
    for (int halves = 1; halves <= 3; ++halves) {
        for (size_t i = 0; i < half; i += c.block) {
            audio.clear();
            frames += r.process(iq.data() + 2 * i, std::min(c.block, half - i), IqFormat::CS8, 0, audio);
        }
        if (halves >= 2) {
            EXPECT_NEAR(double(frames), 24000.0 * halves, 1.0) << "after " << halves << " half seconds";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Receiver, SampleCount,
                         ::testing::Values(CountCase{2048000.0, 1001}, CountCase{1024000.0, 7}));

TEST(Receiver, RateTrimSteersTheOutputCount) {
    ReceiverConfig config;
    config.inputRate = 1024000.0;
    Receiver r(config);
    r.setRateTrim(500e-6);
    std::vector<int8_t> iq(2 * 1024000, 0);
    std::vector<float> audio;
    const size_t frames = r.process(iq.data(), 1024000, IqFormat::CS8, 0, audio);
    EXPECT_NEAR(double(frames), 48000.0 * 1.0005, 1.0);
}

TEST(Receiver, EveryInputFormatGivesTheSameAudio) {
    Band band;
    band.seconds = 0.05;
    const std::vector<int8_t> cs8 = testband::makeBandCs8(band, {stationAtCentre({{1000.0, 0.5}}, {}, 30.0)});
    std::vector<int16_t> cs16(cs8.size());
    std::vector<uint8_t> cu8(cs8.size());
    std::vector<float> cf32(cs8.size());
    for (size_t i = 0; i < cs8.size(); ++i) {
        cs16[i] = int16_t(cs8[i] * 256);
        cf32[i] = cs8[i] / 128.0f;
        cu8[i] = uint8_t(cs8[i] + 128);  // offset binary, a half step above CS8's zero
    }
    const size_t pairs = cs8.size() / 2;
    auto run = [&](const void* data, IqFormat format) {
        Receiver r({});
        std::vector<float> audio;
        r.process(data, pairs, format, 0, audio);
        return audio;
    };
    const std::vector<float> reference = run(cs8.data(), IqFormat::CS8);
    ASSERT_EQ(reference.size(), size_t(0.05 * rate48 * 2) + 2);
    EXPECT_EQ(run(cs16.data(), IqFormat::CS16), reference);
    EXPECT_EQ(run(cf32.data(), IqFormat::CF32), reference);
    // CU8's centre is 127.5: the same audio but for the half-step DC the discriminator ignores.
    const std::vector<float> unsignedAudio = run(cu8.data(), IqFormat::CU8);
    ASSERT_EQ(unsignedAudio.size(), reference.size());
    auto tone = [](const std::vector<float>& audio) {
        return db(testband::tonePower(audio, 2, 0, 1200, 960, 1000.0, rate48));
    };
    EXPECT_NEAR(tone(unsignedAudio), tone(reference), 0.1);
}

TEST(Receiver, IqConversionScales) {
    const int8_t cs8[] = {-128, 127};
    const uint8_t cu8[] = {0, 255};
    const int16_t cs16[] = {-32768, 16384};
    Complex out;
    convertIq(cs8, 1, IqFormat::CS8, &out);
    EXPECT_EQ(out, Complex(-1.0f, 127.0f / 128.0f));
    convertIq(cu8, 1, IqFormat::CU8, &out);
    EXPECT_FLOAT_EQ(out.real(), -out.imag());
    convertIq(cs16, 1, IqFormat::CS16, &out);
    EXPECT_EQ(out, Complex(-1.0f, 0.5f));
}

// Blocks queued before a retune are dropped, and nothing of the old station
// survives in the filters or the loop: after the retune the receiver plays
// the new station sample for sample as a receiver that never heard the old one.
TEST(Receiver, RetuneDropsTheOldStation) {
    Band band;
    band.seconds = 0.1;
    const std::vector<int8_t> oldIq = testband::makeBandCs8(band, {stationAtCentre({{1000.0, 0.8}}, {{1000.0, 0.8}}, 40.0)});
    band.seed = 2;
    band.seconds = signalSeconds;
    const std::vector<int8_t> newIq = testband::makeBandCs8(band, {stationAtCentre({{3000.0, 0.5}}, {{3000.0, 0.5}}, 40.0)});
    Receiver r({});
    r.retune(7);
    receive(r, oldIq, 7);
    ASSERT_TRUE(r.measurement().ready);
    ASSERT_TRUE(r.measurement().signal);

    r.retune(8);
    EXPECT_FALSE(r.measurement().ready);
    EXPECT_FALSE(r.measurement().signal);
    EXPECT_EQ(r.measurement().generation, 8u);
    std::vector<float> stale;
    EXPECT_EQ(r.process(oldIq.data(), oldIq.size() / 2, IqFormat::CS8, 7, stale), 0u);
    EXPECT_TRUE(stale.empty());

    const std::vector<float> audio = receive(r, newIq, 8);
    Receiver fresh({});
    EXPECT_EQ(audio, receive(fresh, newIq));
    EXPECT_GT(toneDb(audio, 0, 3000.0) - toneDb(audio, 0, 1000.0), 60.0);
    EXPECT_TRUE(r.measurement().ready);
    EXPECT_EQ(r.measurement().generation, 8u);
}

// A clip written by an independent numpy script (tools/make_fm_clip.py):
// 0.25 s at 1.024 MS/s, left 1 kHz, right 2.5 kHz.
TEST(Receiver, DecodesTheNumpyClipIntoTheRightChannels) {
    const std::string path = std::string(ORVANTA_SOURCE_DIR) + "/tests/data/stereo_clip_1024k.cs8";
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr) << path;
    std::vector<int8_t> iq(600 * 1024);
    iq.resize(std::fread(iq.data(), 1, iq.size(), f));
    std::fclose(f);
    ASSERT_EQ(iq.size(), size_t(2 * 0.25 * 1024000));
    ReceiverConfig config;
    config.inputRate = 1024000.0;
    Receiver r(config);
    const std::vector<float> audio = receive(r, iq);
    ASSERT_NEAR(double(audio.size()) / 2.0, 0.25 * rate48, 1.0);
    EXPECT_TRUE(r.measurement().pilot);
    const size_t start = size_t(0.145 * rate48);
    auto tone = [&](int channel, double hz) {
        return db(testband::tonePower(audio, 2, channel, start, measureFrames, hz, rate48));
    };
    EXPECT_GT(tone(0, 1000.0) - tone(1, 1000.0), 30.0);
    EXPECT_GT(tone(1, 2500.0) - tone(0, 2500.0), 30.0);
    EXPECT_NEAR(tone(0, 1000.0), tone(1, 2500.0), 1.0);  // the clip sends both at one level
}

}  // namespace
}  // namespace orv::receiver
