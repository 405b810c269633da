// From the receiver's audio rate to the sound card's 48 kHz, with a ratio the
// rate controller can trim while it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv::receiver {

// A polyphase resampler for two channels (L+R and L-R, or left and right).
// Time is kept in 32.32 fixed point, so without trim the output count is
// exact to one sample over any length of input. The prototype lowpass keeps
// 15 kHz and stops the 19 kHz pilot.
class StereoResampler {
public:
    StereoResampler(double inputRate, double outputRate);
    void reset();
    // Output rate times (1 + trim); trim is clamped to +-1e-3.
    void setTrim(double trim);
    double trim() const { return trim_; }
    // Appends the outputs n input pairs make possible to outA/outB.
    void process(const float* a, const float* b, size_t n, std::vector<float>& outA, std::vector<float>& outB);

private:
    float dot(const float* coeffs, const float* x) const;

    double inputRate_, outputRate_, trim_ = 0.0;
    uint64_t step_;        // input samples per output, 32.32
    uint64_t position_;    // of the next output within the history, 32.32
    size_t taps_;
    std::vector<float> phases_;  // (phaseCount + 1) rows of taps_ coefficients
    std::vector<float> historyA_, historyB_;
};

// Trims the resampling ratio from the fill of the sound queue, so that
// neither underrun nor overrun builds up when the radio's crystal and the
// sound card's differ (up to a few hundred ppm). A proportional-integral loop
// on the smoothed fill: it settles in about a minute and leaves no standing
// error; the trim never exceeds maxTrim.
class RateController {
public:
    static constexpr double maxTrim = 500e-6;

    RateController(double targetFillFrames, double outputRate = 48000.0);
    void reset();
    // Takes the queue's fill (frames) elapsedSeconds after the last call;
    // returns the trim to give StereoResampler::setTrim.
    double update(double fillFrames, double elapsedSeconds);
    double trim() const { return trim_; }

private:
    double target_, outputRate_;
    double smoothedFill_ = 0.0, integral_ = 0.0, trim_ = 0.0;
    bool primed_ = false;
};

}  // namespace orv::receiver
