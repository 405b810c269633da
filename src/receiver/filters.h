// FIR design and the decimating filters of the receiver. Every filter here is
// streaming: it keeps its history between calls, starts from silence after
// reset(), and yields exactly ceil(n / factor) outputs for n inputs in total,
// however the input is cut into calls.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace orv::receiver {

using Complex = std::complex<float>;

// Kaiser window parameter for a stopband attenuation in dB.
double kaiserBeta(double attenuationDb);

// A linear-phase lowpass of `taps` taps (odd) by the windowed sinc: cutoff is
// the -6 dB point as a fraction of the sample rate. DC gain is exactly 1.
std::vector<float> kaiserLowpass(int taps, double cutoff, double beta);

// A half-band lowpass (cutoff a quarter of the sample rate) of taps = 4k - 1:
// every other tap is zero and the centre is 1/2. DC gain 1.
std::vector<float> halfbandLowpass(int taps, double beta);

// The magnitude of a real FIR at frequency f (fraction of the sample rate).
double firMagnitude(const std::vector<float>& taps, double f);

// Decimates by two through a half-band lowpass, computing only the outputs it keeps
// and only the nonzero taps, each pair of mirrored taps with one multiply.
class HalfbandDecimator {
public:
    explicit HalfbandDecimator(const std::vector<float>& taps);
    void reset();
    // Appends ceil-wise every second filtered input to out.
    void process(const Complex* in, size_t n, std::vector<Complex>& out);

private:
    std::vector<float> sideTaps_;  // taps at centre +-1, +-3, ...
    size_t length_;
    std::vector<Complex> work_;    // history, then the new input
};

// A symmetric FIR that keeps one output in `factor` (1: a plain filter).
template <typename Sample>
class FirDecimator {
public:
    FirDecimator(const std::vector<float>& taps, int factor);
    void reset();
    void process(const Sample* in, size_t n, std::vector<Sample>& out);

private:
    std::vector<float> taps_;
    size_t factor_;
    std::vector<Sample> work_;
};

extern template class FirDecimator<float>;
extern template class FirDecimator<Complex>;

}  // namespace orv::receiver
