// The sound path without a device: the queue between the receiver's thread
// and the sound callback, the gain and mute ramps, and the 16-bit output.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/audio_player.h"
#include "audio/joints.h"

namespace orv::audio {
namespace {

std::vector<float> ramp(size_t frames, float start) {
    std::vector<float> v(frames * 2);
    for (size_t i = 0; i < frames; ++i) v[2 * i] = start + float(i), v[2 * i + 1] = -(start + float(i));
    return v;
}

TEST(AudioQueue, PlaysOnlyOncePrimedAndKeepsOrderAcrossTheRingsEnd) {
    AudioQueue q(10, 4);
    std::vector<float> out(2 * 3);
    q.push(ramp(3, 1).data(), 3);
    EXPECT_EQ(q.pop(out.data(), 3), 0u);  // below the prime: silence, no underrun
    EXPECT_EQ(out, std::vector<float>(6, 0.0f));
    EXPECT_EQ(q.underruns(), 0u);
    for (int round = 0; round < 5; ++round) {  // several laps of the ring
        q.push(ramp(3, 100.0f * float(round + 1)).data(), 3);
        ASSERT_EQ(q.pop(out.data(), 3), 3u);
    }
    // Frames come out in the order they went in (the first three still lag
    // the last push), left and right kept apart.
    q.pop(out.data(), 3);
    EXPECT_EQ(out[0], 500.0f);
    EXPECT_EQ(out[1], -500.0f);
    EXPECT_EQ(out[4], 502.0f);
    EXPECT_EQ(q.fill(), 0u);
}

TEST(AudioQueue, UnderrunPlaysSilenceCountsOnceAndRecoversAtThePrime) {
    AudioQueue q(100, 10);
    std::vector<float> out(2 * 8);
    q.push(ramp(12, 1).data(), 12);
    EXPECT_EQ(q.pop(out.data(), 8), 8u);
    EXPECT_EQ(q.pop(out.data(), 8), 4u);  // short: the rest is silence
    EXPECT_EQ(out[6], 12.0f);
    EXPECT_EQ(out[7], -12.0f);
    EXPECT_EQ(out[8], 0.0f);
    EXPECT_EQ(q.underruns(), 1u);
    q.push(ramp(5, 1).data(), 5);
    EXPECT_EQ(q.pop(out.data(), 8), 0u);  // waits for the prime again, without counting
    EXPECT_EQ(q.underruns(), 1u);
    q.push(ramp(5, 6).data(), 5);
    EXPECT_EQ(q.pop(out.data(), 8), 8u);
    EXPECT_EQ(out[0], 1.0f);
}

TEST(AudioQueue, OverrunDropsTheNewestAndCountsOncePerPush) {
    AudioQueue q(6, 1);
    EXPECT_EQ(q.push(ramp(4, 1).data(), 4), 4u);
    EXPECT_EQ(q.push(ramp(4, 5).data(), 4), 2u);
    EXPECT_EQ(q.overruns(), 1u);
    EXPECT_EQ(q.fill(), 6u);
    std::vector<float> out(2 * 6);
    q.pop(out.data(), 6);
    EXPECT_EQ(out[10], 6.0f);
}

TEST(Level, StepsOfTwoDecibelsWithinSixtyAndZero) {
    EXPECT_EQ(steppedLevel(-10, +1), -8);
    EXPECT_EQ(steppedLevel(-10, -1), -12);
    EXPECT_EQ(steppedLevel(-1, +1), 0);     // an odd level read from the file stops at the top
    EXPECT_EQ(steppedLevel(0, +1), 0);
    EXPECT_EQ(steppedLevel(-60, -1), -60);
    EXPECT_EQ(steppedLevel(-59, -1), -60);
    EXPECT_EQ(clampedLevel(12), 0);
    EXPECT_EQ(clampedLevel(-500), -60);
    EXPECT_NEAR(gainForLevel(-20), 0.1f, 1e-6);
    EXPECT_EQ(gainForLevel(0), 1.0f);
}

// A steady full-scale input through the ramp, one device buffer at a time.
struct RampRun {
    GainRamp ramp{outputRate, 0};
    std::vector<float> gains;  // the gain of every frame played
    void play(size_t frames) {
        std::vector<float> block(2 * deviceBufferFrames);
        for (size_t done = 0; done < frames; done += deviceBufferFrames) {
            std::fill(block.begin(), block.end(), 1.0f);
            ramp.apply(block.data(), deviceBufferFrames);
            for (size_t i = 0; i < size_t(deviceBufferFrames); ++i) gains.push_back(block[2 * i]);
        }
    }
    float largestStep() const {
        float largest = 0.0f;
        for (size_t i = 1; i < gains.size(); ++i) largest = std::max(largest, std::fabs(gains[i] - gains[i - 1]));
        return largest;
    }
};

TEST(GainRamp, MuteSilencesWithinFiftyMillisecondsWithoutAClick) {
    RampRun run;
    run.play(4800);
    run.ramp.setMuted(true);
    run.gains.clear();
    // The mute lands at the next buffer: that buffer plus the ramp stay under 50 ms.
    run.play(size_t(outputRate * 0.05));
    const size_t silentFrom = size_t(deviceBufferFrames + outputRate * rampSeconds);
    ASSERT_LT(silentFrom, size_t(outputRate * 0.05));
    for (size_t i = silentFrom; i < run.gains.size(); ++i) ASSERT_EQ(run.gains[i], 0.0f) << i;
    EXPECT_LE(run.largestStep(), 1.0f / (outputRate * rampSeconds) + 1e-6f);
    EXPECT_GT(run.gains[10], 0.5f);  // not cut at once: ramped

    run.ramp.setMuted(false);
    run.gains.clear();
    run.play(size_t(outputRate * 0.05));
    EXPECT_EQ(run.gains.back(), 1.0f);
    EXPECT_LE(run.largestStep(), 1.0f / (outputRate * rampSeconds) + 1e-6f);
}

TEST(GainRamp, VolumeStepsGlideToTheirLevel) {
    RampRun run;
    run.ramp.setLevel(-2);
    run.play(2048);
    EXPECT_NEAR(run.gains.back(), gainForLevel(-2), 1e-6);
    run.ramp.setLevel(-60);
    run.play(2048);
    EXPECT_NEAR(run.gains.back(), gainForLevel(-60), 1e-6);
    EXPECT_LE(run.largestStep(), run.ramp.stepPerFrame() + 1e-6f);
    EXPECT_EQ(run.ramp.level(), -60);
}

TEST(AudioPlayer, RendersSixteenBitFramesClippedAtFullScale) {
    AudioPlayer player(0);
    const std::vector<float> frames = {0.5f, -0.5f, 2.0f, -2.0f};
    for (int i = 0; i < 2000; ++i) player.queue().push(frames.data(), 2);  // past the prime
    std::vector<int16_t> out(4);
    player.render(out.data(), 2);
    EXPECT_EQ(out, (std::vector<int16_t>{16384, -16384, 32767, -32767}));
}

// A steady full-scale sound cut by silence and starting again, as at a retune.
TEST(Joints, SoundFadesIntoSilenceAndOutOfItWithoutAJumpAndKeepsItsLength) {
    AudioQueue q(10000, 1);
    Joints joints(q);
    const std::vector<float> ones(2 * 1000, 1.0f);
    joints.sound(ones.data(), 1000);
    joints.sound(ones.data(), 1000);
    joints.silence(500);
    joints.sound(ones.data(), 1000);
    joints.silence(0);  // the end: what was held comes out faded
    ASSERT_EQ(q.fill(), 3500u);
    std::vector<float> out(2 * 3500);
    q.pop(out.data(), 3500);
    const float bound = 1.0f / float(fadeFrames) + 1e-6f;
    for (size_t i = 1; i < 3500; ++i) {
        ASSERT_LE(std::fabs(out[2 * i] - out[2 * (i - 1)]), bound) << i;
        ASSERT_EQ(out[2 * i], out[2 * i + 1]) << i;
    }
    EXPECT_EQ(out[0], 0.0f);            // the very first sound fades in too
    EXPECT_EQ(out[2 * 1500], 1.0f);     // steady in between
    EXPECT_EQ(out[2 * 2100], 0.0f);     // the silence
    EXPECT_EQ(out[2 * 2500], 0.0f);     // sound again, from nothing
    EXPECT_EQ(out[2 * 3000], 1.0f);
    EXPECT_LT(out[2 * 3499], bound);
}

TEST(Joints, BlocksShorterThanTheFadeStillJoin) {
    AudioQueue q(1000, 1);
    Joints joints(q);
    const std::vector<float> ones(2 * 10, 1.0f);
    for (int i = 0; i < 60; ++i) joints.sound(ones.data(), 10);
    joints.silence(20);
    ASSERT_EQ(q.fill(), 620u);
    std::vector<float> out(2 * 620);
    q.pop(out.data(), 620);
    for (size_t i = 1; i < 620; ++i) ASSERT_LE(std::fabs(out[2 * i] - out[2 * (i - 1)]), 1.0f / float(fadeFrames) + 1e-6f) << i;
}

}  // namespace
}  // namespace orv::audio
