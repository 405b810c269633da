// The stereo multiplex: a 19 kHz pilot, L+R at baseband and L-R as a
// double-sideband suppressed carrier on the pilot's second harmonic
// (pilot sin(t), subcarrier sin(2t): both cross zero rising together).
#pragma once

#include <complex>
#include <cstddef>

namespace orv::receiver {

constexpr double pilotHz = 19000.0;

// What the pilot loop saw since the last reading.
struct PilotReading {
    double level = 0.0;       // pilot amplitude, 1.0 = 75 kHz deviation (nominal 0.08..0.10)
    double phaseError = 0.0;  // mean of the loop's phase error, radians
    bool locked = false;
};

// A second-order phase-locked loop on the pilot that also demodulates L-R on
// twice its phase. The phase detector is summed over short blocks and the
// loop runs once per block, so the program's energy around 19 kHz does not
// jitter the subcarrier phase sample by sample.
class PilotPll {
public:
    // differenceGain scales the demodulated L-R (the discriminator droop at 38 kHz).
    PilotPll(double sampleRate, double differenceGain);
    void reset();
    // Demodulates n multiplex samples: writes L-R for each and, when phasor
    // is given, the oscillator's phasor (cos, sin of the pilot's phase) for each.
    void process(const float* mpx, size_t n, float* difference, std::complex<float>* phasor = nullptr);
    // The pilot since the last reading; starts the next one.
    PilotReading takeReading();

private:
    void updateLoop();

    double sampleRate_;
    float differenceGain_;
    double nominalStep_;     // pilot phase per sample, radians
    double frequencyTrim_;   // loop integrator: extra phase per block
    float cos_, sin_;        // the oscillator's phasor
    float stepCos_, stepSin_;
    float sumInPhase_, sumQuadrature_;
    int blockFill_;
    double smoothedLevel_;
    double readingLevel_, readingError_;
    int readingBlocks_;
};

// How much of L-R to keep: 0 mono, 1 full stereo.
// The rule: stereo needs a locked pilot and a quiet channel.
//   pilot factor: 0 until the pilot is locked at 2% of full deviation, rising
//                 linearly to 1 at 4.5% (broadcasts use 8..10%);
//   noise factor: 0 at a carrier-to-noise ratio of 18 dB in the 200 kHz
//                 channel, rising linearly to 1 at 26 dB, where the L-R
//                 channel's extra noise is about as loud as mono's at 18 dB.
// The blend is the product, so from 26 dB up (30 dB RF SNR included) with a
// normal pilot the receiver plays full stereo.
double stereoBlend(const PilotReading& pilot, double carrierToNoiseDb);

// First-order de-emphasis after the stereo matrix. Its pole and zero are
// fitted so its magnitude follows the analogue 1/(1 + j w tau) to about
// 0.05 dB up to 16 kHz at 48 kHz (the plain bilinear form is 1.3 dB off at 10 kHz).
class Deemphasis {
public:
    Deemphasis(double tauSeconds, double sampleRate);
    void reset() { state_ = 0.0f; previous_ = 0.0f; }
    float step(float x) {
        // y = g (x - z x[-1]) + p y[-1]
        const float y = gain_ * (x - zero_ * previous_) + pole_ * state_;
        previous_ = x;
        state_ = y;
        return y;
    }
    // The designed magnitude at f, for checks.
    double magnitude(double frequencyHz) const;

private:
    double sampleRate_;
    float pole_, zero_, gain_;
    float state_, previous_;
};

}  // namespace orv::receiver
