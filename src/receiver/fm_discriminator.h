// The FM discriminator: the phase step between neighbouring samples of the
// channel, scaled so that the broadcast's full 75 kHz deviation reads 1.0.
#pragma once

#include <complex>
#include <cstddef>

namespace orv::receiver {

using Complex = std::complex<float>;

// Peak deviation of broadcast FM: the multiplex's full scale.
constexpr double fullDeviationHz = 75000.0;

// atan2 to within about 1e-6 rad, without the library call.
float fastAtan2(float y, float x);

// The phase step over one sample averages the frequency over that sample: a
// one-sample boxcar whose response at f is sinc(f / rate). At 256 kS/s that
// is -0.3 dB at 38 kHz, where L-R lives, against nothing at audio: left
// alone it costs the stereo separation about 35 dB.
double discriminatorDroop(double frequencyHz, double sampleRate);

class FmDiscriminator {
public:
    explicit FmDiscriminator(double sampleRate);
    void reset();
    // Writes n multiplex samples (1.0 = 75 kHz) for n channel samples.
    void process(const Complex* in, size_t n, float* out);

private:
    float scale_;
    Complex previous_;
};

}  // namespace orv::receiver
