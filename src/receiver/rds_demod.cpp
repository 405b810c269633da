#include "receiver/rds_demod.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace orv::receiver {

namespace {

constexpr double pi = 3.14159265358979323846;

// The free oscillator and the loops look their phasors up in one table.
constexpr int tableSize = 256;

// Down to 16 kS/s: the first filter stops what would fold onto +-4 kHz
// (mono audio 48 kHz below the subcarrier lands on it), the second keeps
// the +-2.4 kHz of RDS and stops L-R's upper edge 4 kHz away.
constexpr int decimation = 16;
constexpr int firstTaps = 95;
constexpr double firstCutoffHz = 8000.0;
constexpr double firstAttenuationDb = 60.0;
constexpr int secondTaps = 41;
constexpr double secondCutoffHz = 3300.0;
constexpr double secondAttenuationDb = 50.0;

// Carrier loop: updated every millisecond.
constexpr int carrierBlock = 16;
constexpr double carrierNaturalHz = 8.0;
constexpr double loopDamping = 0.707;
constexpr double maxCarrierOffsetHz = 40.0;  // station and sample clock errors are far below
constexpr float minimumPower = 1e-20f;

// Bit clock loop: updated every bit.
constexpr double clockNaturalHz = 5.0;
constexpr double maxClockOffsetHz = 0.5;
// Half-cycle alignment: levels averaged over about this many bits; the
// other alignment takes over when clearly stronger.
constexpr float alignmentSmoothing = 1.0f / 16.0f;
constexpr float alignmentSwitch = 1.3f;

double wrap(double cycles) { return cycles - std::floor(cycles); }

Complex phasorAt(const std::vector<Complex>& table, double cycles) {
    return table[size_t(int(wrap(cycles) * tableSize) & (tableSize - 1))];
}

double cyclesOf(Complex p) { return wrap(std::atan2(p.imag(), p.real()) / (2.0 * pi)); }

}  // namespace

RdsDemodulator::RdsDemodulator(double sampleRate)
    : sampleRate_(sampleRate),
      basebandRate_(sampleRate / decimation),
      first_(kaiserLowpass(firstTaps, firstCutoffHz / sampleRate, kaiserBeta(firstAttenuationDb)), decimation),
      second_(kaiserLowpass(secondTaps, secondCutoffHz / (sampleRate / decimation), kaiserBeta(secondAttenuationDb)), 1) {
    const double step = rdsSubcarrierHz / sampleRate * tableSize;
    if (step != std::floor(step)) throw std::invalid_argument("RDS needs a multiplex rate of 57 kHz times 256/k");
    freeStep_ = int(step);
    for (int i = 0; i < tableSize; ++i) oscillator_.push_back(std::polar(1.0f, float(2.0 * pi * i / tableSize)));
    reset();
}

void RdsDemodulator::reset() {
    first_.reset();
    second_.reset();
    usingPilot_ = false;
    freeIndex_ = 0;
    lastPilotCycles_ = 0.0;
    carrierPhase_ = 0.0;
    carrierStep_ = 0.0;
    errorSum_ = powerSum_ = 0.0f;
    carrierFill_ = 0;
    clockPhase_ = 0.0;
    clockStep_ = rdsBitRate / basebandRate_;
    clockTrim_ = 0.0;
    firstHalf_ = true;
    sumI_ = sumQ_ = 0.0f;
    firstI_ = firstQ_ = previousSecondI_ = previousSecondQ_ = 0.0f;
    windowLevel_ = {0.0f, 0.0f};
    alignment_ = 0;
    lastSymbol_ = 0;
}

double RdsDemodulator::carrierOffsetHz() const { return carrierStep_ * basebandRate_; }

void RdsDemodulator::process(const float* mpx, const Complex* pilot, size_t n, bool pilotLocked,
                             std::vector<uint8_t>& bits) {
    if (n == 0) return;
    mix(mpx, pilot, n, pilotLocked && pilot);
    stage_.clear();
    first_.process(mixed_.data(), n, stage_);
    baseband_.clear();
    second_.process(stage_.data(), stage_.size(), baseband_);
    for (Complex z : baseband_) demodulate(z, bits);
}

void RdsDemodulator::mix(const float* mpx, const Complex* pilot, size_t n, bool pilotLocked) {
    // Changing oscillators keeps the total phase: the carrier loop takes the difference.
    if (pilotLocked != usingPilot_) {
        const Complex p = pilot ? pilot[0] : Complex(1.0f, 0.0f);
        const double pilotCycles = wrap(3.0 * cyclesOf(p));
        const double freeCycles = double(freeIndex_) / tableSize;
        carrierPhase_ += pilotLocked ? freeCycles - pilotCycles : lastPilotCycles_ - freeCycles;
        usingPilot_ = pilotLocked;
    }
    mixed_.resize(n);
    if (usingPilot_) {
        for (size_t i = 0; i < n; ++i) {
            // cos 3t - j sin 3t from cos t and sin t.
            const float c = pilot[i].real(), s = pilot[i].imag();
            const float c3 = c * (c * c - 3.0f * s * s);
            const float s3 = s * (3.0f * c * c - s * s);
            mixed_[i] = {mpx[i] * c3, -mpx[i] * s3};
        }
        // Where the pilot-derived phase will be one sample on, for a change back.
        lastPilotCycles_ = wrap(3.0 * cyclesOf(pilot[n - 1]) + double(freeStep_) / tableSize);
    } else {
        int k = freeIndex_;
        for (size_t i = 0; i < n; ++i) {
            const Complex& o = oscillator_[size_t(k)];
            mixed_[i] = {mpx[i] * o.real(), -mpx[i] * o.imag()};
            k = (k + freeStep_) & (tableSize - 1);
        }
        freeIndex_ = k;
    }
    if (usingPilot_) freeIndex_ = (freeIndex_ + int(n % tableSize) * freeStep_) & (tableSize - 1);
}

void RdsDemodulator::demodulate(Complex z, std::vector<uint8_t>& bits) {
    const Complex y = z * std::conj(phasorAt(oscillator_, carrierPhase_));
    carrierPhase_ += carrierStep_;
    errorSum_ += y.real() * y.imag();
    powerSum_ += std::norm(y);
    if (++carrierFill_ == carrierBlock) carrierLoop();

    // The symbol: the in-phase component, correlated with the clock's sine and cosine.
    const float s = y.real();
    const Complex clock = phasorAt(oscillator_, clockPhase_);
    sumI_ += s * clock.imag();
    sumQ_ += s * clock.real();
    clockPhase_ += clockStep_ + clockTrim_;
    if (firstHalf_ && clockPhase_ >= 0.5) {
        firstHalf_ = false;
        endOfHalfCycle(false, bits);
    } else if (clockPhase_ >= 1.0) {
        clockPhase_ -= 1.0;
        firstHalf_ = true;
        endOfHalfCycle(true, bits);
    }
}

void RdsDemodulator::carrierLoop() {
    // For y = a m e^{jd}, m real: Re y Im y / |y|^2 = sin(2d) / 2.
    const double error = errorSum_ / std::max(powerSum_, minimumPower);
    errorSum_ = powerSum_ = 0.0f;
    carrierFill_ = 0;
    const double wt = 2.0 * pi * carrierNaturalHz * carrierBlock / basebandRate_;
    const double proportional = 2.0 * loopDamping * wt;
    const double integral = wt * wt;
    const double maxStep = maxCarrierOffsetHz / basebandRate_;
    carrierPhase_ = wrap(carrierPhase_ + proportional * error / (2.0 * pi));
    carrierStep_ = std::clamp(carrierStep_ + integral * error / (2.0 * pi) / carrierBlock, -maxStep, maxStep);
}

void RdsDemodulator::endOfHalfCycle(bool cycleEnds, std::vector<uint8_t>& bits) {
    const float i = sumI_, q = sumQ_;
    sumI_ = sumQ_ = 0.0f;
    if (cycleEnds) {
        window(0, firstI_ + i, firstQ_ + q, bits);
        previousSecondI_ = i;
        previousSecondQ_ = q;
    } else {
        firstI_ = i;
        firstQ_ = q;
        window(1, previousSecondI_ + i, previousSecondQ_ + q, bits);
    }
}

void RdsDemodulator::window(int alignment, float i, float q, std::vector<uint8_t>& bits) {
    // One bit's window in either alignment: the right one holds a whole
    // symbol every time, the other straddles two and is empty when they differ.
    float& level = windowLevel_[size_t(alignment)];
    level += (std::fabs(i) - level) * alignmentSmoothing;
    if (alignment != alignment_) {
        if (level > alignmentSwitch * windowLevel_[size_t(alignment_)]) alignment_ = alignment;
        return;
    }
    const int symbol = i > 0.0f ? 1 : 0;
    bits.push_back(uint8_t(symbol ^ lastSymbol_));
    lastSymbol_ = symbol;

    // The clock loop: for a symbol d sin(2 pi p + e), I Q / (I^2 + Q^2) = sin(2e) / 2.
    const double error = double(i) * q / std::max(double(i) * i + double(q) * q, 1e-30);
    const double samplesPerBit = basebandRate_ / rdsBitRate;
    const double wt = 2.0 * pi * clockNaturalHz / rdsBitRate;
    const double maxTrim = maxClockOffsetHz / basebandRate_;
    clockPhase_ += 2.0 * loopDamping * wt * error / (2.0 * pi);
    clockTrim_ = std::clamp(clockTrim_ + wt * wt * error / (2.0 * pi) / samplesPerBit, -maxTrim, maxTrim);
}

}  // namespace orv::receiver
