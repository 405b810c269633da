#include "receiver/stereo.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace orv::receiver {

namespace {

constexpr double pi = 3.14159265358979323846;

constexpr int loopBlock = 64;                 // samples per phase-detector sum
constexpr double loopNaturalHz = 40.0;
constexpr double loopDamping = 0.707;
constexpr double loopLevelFloor = 0.03;       // error normalised by at least this level
constexpr double levelSmoothing = 0.05;       // per block
constexpr double maxPilotOffsetHz = 20.0;     // sample clock and station errors are far below
constexpr double lockLevel = 0.02;
constexpr double lockPhaseError = 0.35;       // radians

constexpr double blendPilotLow = 0.02, blendPilotHigh = 0.045;
constexpr double blendNoiseLowDb = 18.0, blendNoiseHighDb = 26.0;

double ramp(double x, double low, double high) {
    return std::clamp((x - low) / (high - low), 0.0, 1.0);
}

}  // namespace

PilotPll::PilotPll(double sampleRate, double differenceGain)
    : sampleRate_(sampleRate),
      differenceGain_(float(differenceGain)),
      nominalStep_(2.0 * pi * pilotHz / sampleRate) {
    reset();
}

void PilotPll::reset() {
    frequencyTrim_ = 0.0;
    cos_ = 1.0f;
    sin_ = 0.0f;
    stepCos_ = float(std::cos(nominalStep_));
    stepSin_ = float(std::sin(nominalStep_));
    sumInPhase_ = sumQuadrature_ = 0.0f;
    blockFill_ = 0;
    smoothedLevel_ = 0.0;
    readingLevel_ = readingError_ = 0.0;
    readingBlocks_ = 0;
}

void PilotPll::process(const float* mpx, size_t n, float* difference, std::complex<float>* phasor) {
    const float twiceGain = 4.0f * differenceGain_;  // 2 sin(2t) = 4 sin(t) cos(t)
    for (size_t i = 0; i < n; ++i) {
        const float x = mpx[i];
        sumInPhase_ += x * sin_;
        sumQuadrature_ += x * cos_;
        difference[i] = x * twiceGain * sin_ * cos_;
        if (phasor) phasor[i] = {cos_, sin_};
        const float c = cos_ * stepCos_ - sin_ * stepSin_;
        sin_ = sin_ * stepCos_ + cos_ * stepSin_;
        cos_ = c;
        if (++blockFill_ == loopBlock) updateLoop();
    }
}

void PilotPll::updateLoop() {
    // For pilot a sin(u) and oscillator angle t: x sin t averages a/2 cos(u - t),
    // x cos t averages a/2 sin(u - t).
    const double inPhase = 2.0 * sumInPhase_ / loopBlock;
    const double quadrature = 2.0 * sumQuadrature_ / loopBlock;
    sumInPhase_ = sumQuadrature_ = 0.0f;
    blockFill_ = 0;
    smoothedLevel_ += (inPhase - smoothedLevel_) * levelSmoothing;
    const double error = std::clamp(quadrature / std::max(smoothedLevel_, loopLevelFloor), -1.0, 1.0);

    const double wt = 2.0 * pi * loopNaturalHz * loopBlock / sampleRate_;
    const double proportional = 2.0 * loopDamping * wt;
    const double integral = wt * wt;
    const double maxTrim = 2.0 * pi * maxPilotOffsetHz * loopBlock / sampleRate_;
    frequencyTrim_ = std::clamp(frequencyTrim_ + integral * error, -maxTrim, maxTrim);

    // Nudge the phase now, and the frequency from here on; renormalise the phasor.
    const double nudge = proportional * error;
    const double c = cos_ * std::cos(nudge) - sin_ * std::sin(nudge);
    const double s = sin_ * std::cos(nudge) + cos_ * std::sin(nudge);
    const double norm = std::hypot(c, s);
    cos_ = float(c / norm);
    sin_ = float(s / norm);
    const double step = nominalStep_ + frequencyTrim_ / loopBlock;
    stepCos_ = float(std::cos(step));
    stepSin_ = float(std::sin(step));

    readingLevel_ += inPhase;
    readingError_ += std::atan2(quadrature, std::max(inPhase, 1e-9));
    ++readingBlocks_;
}

PilotReading PilotPll::takeReading() {
    PilotReading r;
    if (readingBlocks_ > 0) {
        r.level = readingLevel_ / readingBlocks_;
        r.phaseError = readingError_ / readingBlocks_;
        r.locked = r.level >= lockLevel && std::fabs(r.phaseError) <= lockPhaseError;
    }
    readingLevel_ = readingError_ = 0.0;
    readingBlocks_ = 0;
    return r;
}

double stereoBlend(const PilotReading& pilot, double carrierToNoiseDb) {
    if (!pilot.locked) return 0.0;
    return ramp(pilot.level, blendPilotLow, blendPilotHigh) *
           ramp(carrierToNoiseDb, blendNoiseLowDb, blendNoiseHighDb);
}

namespace {

double analogueDeemphasis(double f, double tau) {
    const double wt = 2.0 * pi * f * tau;
    return 1.0 / std::sqrt(1.0 + wt * wt);
}

double onePoleMagnitude(double f, double rate, double pole, double zero) {
    const std::complex<double> zinv = std::polar(1.0, -2.0 * pi * f / rate);
    const double gain = (1.0 - pole) / (1.0 - zero);
    return std::abs(gain * (1.0 - zero * zinv) / (1.0 - pole * zinv));
}

// Largest error in dB against the analogue curve over the audio band.
double worstDeviationDb(double tau, double rate, double pole, double zero) {
    constexpr double topHz = 16000.0;
    constexpr int points = 32;
    double worst = 0.0;
    for (int i = 1; i <= points; ++i) {
        const double f = topHz * i / points;
        const double d = 20.0 * std::log10(onePoleMagnitude(f, rate, pole, zero) / analogueDeemphasis(f, tau));
        worst = std::max(worst, std::fabs(d));
    }
    return worst;
}

}  // namespace

Deemphasis::Deemphasis(double tauSeconds, double sampleRate) : sampleRate_(sampleRate) {
    // Start at the impulse-invariant pole with no zero; refine both on a shrinking grid.
    double pole = std::exp(-1.0 / (tauSeconds * sampleRate)), zero = 0.0;
    double poleSpan = 0.2, zeroSpan = 0.5;
    double best = worstDeviationDb(tauSeconds, sampleRate, pole, zero);
    constexpr int gridHalf = 6;
    constexpr int rounds = 8;
    for (int round = 0; round < rounds; ++round) {
        const double centrePole = pole, centreZero = zero;
        for (int i = -gridHalf; i <= gridHalf; ++i) {
            for (int j = -gridHalf; j <= gridHalf; ++j) {
                const double p = centrePole + poleSpan * i / gridHalf;
                const double z = centreZero + zeroSpan * j / gridHalf;
                if (p <= 0.0 || p >= 1.0 || z <= -1.0 || z >= 1.0) continue;
                const double d = worstDeviationDb(tauSeconds, sampleRate, p, z);
                if (d < best) { best = d; pole = p; zero = z; }
            }
        }
        poleSpan /= 3.0;
        zeroSpan /= 3.0;
    }
    pole_ = float(pole);
    zero_ = float(zero);
    gain_ = float((1.0 - pole) / (1.0 - zero));
    reset();
}

double Deemphasis::magnitude(double frequencyHz) const {
    return onePoleMagnitude(frequencyHz, sampleRate_, pole_, zero_);
}

}  // namespace orv::receiver
