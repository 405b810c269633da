#include "audio/gain.h"

#include <algorithm>
#include <cmath>

namespace orv::audio {

int clampedLevel(int levelDb) { return std::clamp(levelDb, lowestLevelDb, highestLevelDb); }

int steppedLevel(int levelDb, int direction) {
    return clampedLevel(clampedLevel(levelDb) + (direction > 0 ? levelStepDb : -levelStepDb));
}

float gainForLevel(int levelDb) { return float(std::pow(10.0, clampedLevel(levelDb) / 20.0)); }

GainRamp::GainRamp(double sampleRate, int levelDb)
    : level_(clampedLevel(levelDb)), gain_(gainForLevel(levelDb)), step_(float(1.0 / (rampSeconds * sampleRate))) {}

void GainRamp::setLevel(int levelDb) { level_.store(clampedLevel(levelDb)); }

void GainRamp::setMuted(bool muted) { muted_.store(muted); }

float GainRamp::target() const { return muted_.load() ? 0.0f : gainForLevel(level_.load()); }

void GainRamp::apply(float* frames, size_t count) {
    const float goal = target();
    for (size_t i = 0; i < count; ++i) {
        if (gain_ != goal) gain_ = goal > gain_ ? std::min(goal, gain_ + step_) : std::max(goal, gain_ - step_);
        frames[2 * i] *= gain_;
        frames[2 * i + 1] *= gain_;
    }
}

}  // namespace orv::audio
