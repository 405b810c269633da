#include "receiver/filters.h"

#include <cmath>
#include <stdexcept>

namespace orv::receiver {

namespace {

constexpr double pi = 3.14159265358979323846;

// The zeroth-order modified Bessel function, by its power series.
double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    const double q = x * x / 4.0;
    for (int k = 1; k < 60 && term > 1e-12 * sum; ++k) {
        term *= q / (double(k) * k);
        sum += term;
    }
    return sum;
}

double kaiserWindow(int n, int taps, double beta) {
    const double r = 2.0 * n / (taps - 1) - 1.0;
    return besselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / besselI0(beta);
}

double sinc(double x) { return x == 0.0 ? 1.0 : std::sin(pi * x) / (pi * x); }

}  // namespace

double kaiserBeta(double attenuationDb) {
    if (attenuationDb > 50.0) return 0.1102 * (attenuationDb - 8.7);
    if (attenuationDb >= 21.0)
        return 0.5842 * std::pow(attenuationDb - 21.0, 0.4) + 0.07886 * (attenuationDb - 21.0);
    return 0.0;
}

std::vector<float> kaiserLowpass(int taps, double cutoff, double beta) {
    if (taps < 1 || taps % 2 == 0) throw std::invalid_argument("lowpass needs an odd tap count");
    std::vector<double> h(static_cast<size_t>(taps));
    double sum = 0.0;
    const int centre = taps / 2;
    for (int n = 0; n < taps; ++n) {
        h[size_t(n)] = 2.0 * cutoff * sinc(2.0 * cutoff * (n - centre)) * kaiserWindow(n, taps, beta);
        sum += h[size_t(n)];
    }
    std::vector<float> out(h.size());
    for (size_t i = 0; i < h.size(); ++i) out[i] = float(h[i] / sum);
    return out;
}

std::vector<float> halfbandLowpass(int taps, double beta) {
    if (taps < 3 || (taps + 1) % 4 != 0) throw std::invalid_argument("half-band needs 4k-1 taps");
    std::vector<float> h = kaiserLowpass(taps, 0.25, beta);
    const int centre = taps / 2;
    double side = 0.0;
    for (int n = 0; n < taps; ++n) {
        if (n == centre) continue;
        if ((n - centre) % 2 == 0) h[size_t(n)] = 0.0f;  // sinc zeros, exactly
        else side += h[size_t(n)];
    }
    // Centre exactly 1/2, the odd taps scaled to make up the other half of unit DC gain.
    for (int n = 0; n < taps; ++n)
        if (n != centre) h[size_t(n)] = float(h[size_t(n)] * 0.5 / side);
    h[size_t(centre)] = 0.5f;
    return h;
}

double firMagnitude(const std::vector<float>& taps, double f) {
    double re = 0.0, im = 0.0;
    for (size_t n = 0; n < taps.size(); ++n) {
        re += taps[n] * std::cos(2.0 * pi * f * double(n));
        im -= taps[n] * std::sin(2.0 * pi * f * double(n));
    }
    return std::hypot(re, im);
}

HalfbandDecimator::HalfbandDecimator(const std::vector<float>& taps) : length_(taps.size()) {
    const size_t centre = taps.size() / 2;
    for (size_t k = 1; k <= centre; k += 2) sideTaps_.push_back(taps[centre + k]);
    reset();
}

void HalfbandDecimator::reset() { work_.assign(length_ - 1, Complex{}); }

void HalfbandDecimator::process(const Complex* in, size_t n, std::vector<Complex>& out) {
    work_.insert(work_.end(), in, in + n);
    const size_t centre = length_ / 2;
    const size_t sides = sideTaps_.size();
    size_t p = 0;
    const Complex* w = work_.data();
    for (; p + length_ <= work_.size(); p += 2) {
        const Complex* c = w + p + centre;
        float re = 0.5f * c[0].real(), im = 0.5f * c[0].imag();
        for (size_t i = 0; i < sides; ++i) {
            const size_t k = 2 * i + 1;
            re += sideTaps_[i] * (c[-ptrdiff_t(k)].real() + c[k].real());
            im += sideTaps_[i] * (c[-ptrdiff_t(k)].imag() + c[k].imag());
        }
        out.emplace_back(re, im);
    }
    work_.erase(work_.begin(), work_.begin() + ptrdiff_t(p));
}

template <typename Sample>
FirDecimator<Sample>::FirDecimator(const std::vector<float>& taps, int factor)
    : taps_(taps), factor_(size_t(factor)) {
    if (taps.empty() || factor < 1) throw std::invalid_argument("empty filter");
    reset();
}

template <typename Sample>
void FirDecimator<Sample>::reset() { work_.assign(taps_.size() - 1, Sample{}); }

template <typename Sample>
void FirDecimator<Sample>::process(const Sample* in, size_t n, std::vector<Sample>& out) {
    work_.insert(work_.end(), in, in + n);
    const size_t length = taps_.size();
    const size_t half = length / 2;
    const bool odd = length % 2 == 1;
    size_t p = 0;
    for (; p + length <= work_.size(); p += factor_) {
        const Sample* w = work_.data() + p;
        Sample acc{};
        for (size_t k = 0; k < half; ++k) acc += taps_[k] * (w[k] + w[length - 1 - k]);
        if (odd) acc += taps_[half] * w[half];
        out.push_back(acc);
    }
    work_.erase(work_.begin(), work_.begin() + ptrdiff_t(p));
}

template class FirDecimator<float>;
template class FirDecimator<Complex>;

}  // namespace orv::receiver
