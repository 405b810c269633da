#include "receiver/resampler.h"

#include <algorithm>
#include <cmath>

#include "receiver/filters.h"

namespace orv::receiver {

namespace {

constexpr int phaseBits = 5;                    // 32 phases, linear between them
constexpr int phaseCount = 1 << phaseBits;
constexpr int tapsPerPhase = 72;
constexpr double passHz = 15000.0, stopHz = 19000.0;
constexpr double stopAttenuationDb = 60.0;
constexpr double fractionScale = 4294967296.0;  // 2^32
constexpr double maxResamplerTrim = 1e-3;

}  // namespace

StereoResampler::StereoResampler(double inputRate, double outputRate)
    : inputRate_(inputRate), outputRate_(outputRate), taps_(tapsPerPhase) {
    // Prototype at phaseCount times the input rate, one tap longer than the
    // phases need so that phase phaseCount (for interpolation) exists.
    const int length = tapsPerPhase * phaseCount + 1;
    const double cutoff = (passHz + stopHz) / 2.0 / (inputRate * phaseCount);
    const std::vector<float> prototype = kaiserLowpass(length, cutoff, kaiserBeta(stopAttenuationDb));
    phases_.resize(size_t(phaseCount + 1) * taps_);
    for (int phase = 0; phase <= phaseCount; ++phase)
        for (size_t j = 0; j < taps_; ++j)
            phases_[size_t(phase) * taps_ + j] =
                prototype[(taps_ - 1 - j) * phaseCount + size_t(phase)] * float(phaseCount);
    setTrim(0.0);
    reset();
}

void StereoResampler::reset() {
    historyA_.assign(taps_ - 1, 0.0f);
    historyB_.assign(taps_ - 1, 0.0f);
    position_ = 0;
}

void StereoResampler::setTrim(double trim) {
    trim_ = std::clamp(trim, -maxResamplerTrim, maxResamplerTrim);
    step_ = uint64_t(std::llround(inputRate_ / (outputRate_ * (1.0 + trim_)) * fractionScale));
}

float StereoResampler::dot(const float* coeffs, const float* x) const {
    float acc = 0.0f;
    for (size_t j = 0; j < taps_; ++j) acc += coeffs[j] * x[j];
    return acc;
}

void StereoResampler::process(const float* a, const float* b, size_t n, std::vector<float>& outA,
                              std::vector<float>& outB) {
    historyA_.insert(historyA_.end(), a, a + n);
    historyB_.insert(historyB_.end(), b, b + n);
    const size_t available = historyA_.size();
    // The output at position t uses the window [floor(t), floor(t) + taps).
    while ((position_ >> 32) + taps_ <= available) {
        const size_t start = size_t(position_ >> 32);
        const uint32_t fraction = uint32_t(position_);
        const size_t phase = fraction >> (32 - phaseBits);
        const float mix = float(fraction & ((1u << (32 - phaseBits)) - 1)) / float(1u << (32 - phaseBits));
        // The output stands (taps - 1 + fraction) samples after the window's start.
        const float* lower = phases_.data() + phase * taps_;
        const float* upper = lower + taps_;
        const float* xa = historyA_.data() + start;
        const float* xb = historyB_.data() + start;
        const float la = dot(lower, xa), ua = dot(upper, xa);
        const float lb = dot(lower, xb), ub = dot(upper, xb);
        outA.push_back(la + mix * (ua - la));
        outB.push_back(lb + mix * (ub - lb));
        position_ += step_;
    }
    const size_t consumed = std::min(size_t(position_ >> 32), available);
    historyA_.erase(historyA_.begin(), historyA_.begin() + ptrdiff_t(consumed));
    historyB_.erase(historyB_.begin(), historyB_.begin() + ptrdiff_t(consumed));
    position_ -= uint64_t(consumed) << 32;
}

namespace {
constexpr double fillSmoothingSeconds = 2.0;
constexpr double loopNaturalRadPerSecond = 0.05;  // settles in about a minute
constexpr double loopDamping = 1.0;
}  // namespace

RateController::RateController(double targetFillFrames, double outputRate)
    : target_(targetFillFrames), outputRate_(outputRate) {}

void RateController::reset() {
    smoothedFill_ = integral_ = trim_ = 0.0;
    primed_ = false;
}

double RateController::update(double fillFrames, double elapsedSeconds) {
    if (!primed_) {
        smoothedFill_ = fillFrames;
        primed_ = true;
    }
    smoothedFill_ += (fillFrames - smoothedFill_) * std::min(1.0, elapsedSeconds / fillSmoothingSeconds);
    // The fill moves at outputRate * (clock difference + trim) frames a second.
    const double error = smoothedFill_ - target_;
    const double kp = 2.0 * loopDamping * loopNaturalRadPerSecond / outputRate_;
    const double ki = loopNaturalRadPerSecond * loopNaturalRadPerSecond / outputRate_;
    integral_ = std::clamp(integral_ + ki * error * elapsedSeconds, -maxTrim, maxTrim);
    trim_ = std::clamp(-(kp * error + integral_), -maxTrim, maxTrim);
    return trim_;
}

}  // namespace orv::receiver
