// The software volume and mute of the sound: a level in dB stepped by the
// volume pulses, and a gain that moves to the level (or to silence when
// muted) along a short ramp, so that neither a step nor the mute clicks.
#pragma once

#include <atomic>
#include <cstddef>

namespace orv::audio {

constexpr int levelStepDb = 2;
constexpr int lowestLevelDb = -60;
constexpr int highestLevelDb = 0;
constexpr int defaultLevelDb = -10;
// A full swing of the gain (silence to 0 dB) takes this long.
constexpr double rampSeconds = 0.010;

// The level after one pulse up (+1) or down (-1), within lowest..highest.
int steppedLevel(int levelDb, int direction);
// A level as read from the settings, within lowest..highest.
int clampedLevel(int levelDb);
// The amplitude factor of a level in dB.
float gainForLevel(int levelDb);

class GainRamp {
public:
    explicit GainRamp(double sampleRate, int levelDb = defaultLevelDb);

    // Any thread: where the gain is headed.
    void setLevel(int levelDb);
    void setMuted(bool muted);
    int level() const { return level_.load(); }
    bool muted() const { return muted_.load(); }

    // The sound thread: scales count interleaved stereo frames in place, the
    // gain moving toward its target by at most one ramp step a frame.
    void apply(float* frames, size_t count);
    float gain() const { return gain_; }
    // The largest change of the gain from one frame to the next.
    float stepPerFrame() const { return step_; }

private:
    float target() const;

    std::atomic<int> level_;
    std::atomic<bool> muted_{false};
    float gain_;
    float step_;
};

}  // namespace orv::audio
