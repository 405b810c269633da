#include "receiver/fm_discriminator.h"

#include <cmath>

namespace orv::receiver {

namespace {
constexpr double pi = 3.14159265358979323846;
constexpr float halfPi = 1.57079632679f;
constexpr float piF = 3.14159265359f;
}  // namespace

float fastAtan2(float y, float x) {
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float big = ax > ay ? ax : ay;
    if (big == 0.0f) return 0.0f;
    const float a = (ax > ay ? ay : ax) / big;
    const float s = a * a;
    // Minimax polynomial for atan on [0, 1].
    float r = ((((-0.01172120f * s + 0.05265332f) * s - 0.11643287f) * s + 0.19354346f) * s
               - 0.33262347f) * s + 0.99997726f;
    r *= a;
    if (ay > ax) r = halfPi - r;
    if (x < 0.0f) r = piF - r;
    return y < 0.0f ? -r : r;
}

double discriminatorDroop(double frequencyHz, double sampleRate) {
    const double x = pi * frequencyHz / sampleRate;
    return x == 0.0 ? 1.0 : std::sin(x) / x;
}

FmDiscriminator::FmDiscriminator(double sampleRate)
    : scale_(float(sampleRate / (2.0 * pi * fullDeviationHz))) {
    reset();
}

void FmDiscriminator::reset() { previous_ = Complex{}; }

void FmDiscriminator::process(const Complex* in, size_t n, float* out) {
    Complex prev = previous_;
    for (size_t i = 0; i < n; ++i) {
        const Complex x = in[i];
        // x times the conjugate of the previous sample: its angle is the phase step.
        const float re = x.real() * prev.real() + x.imag() * prev.imag();
        const float im = x.imag() * prev.real() - x.real() * prev.imag();
        out[i] = fastAtan2(im, re) * scale_;
        prev = x;
    }
    previous_ = prev;
}

}  // namespace orv::receiver
