#include "receiver/test_band.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace orv::testband {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double deviationHz = 75000.0;
constexpr double pilotHz = 19000.0;
constexpr double audioShare = 0.9;   // of full deviation, the pilot takes the rest
constexpr double referenceWidthHz = 200000.0;

// A station's RDS baseband on the encoder's grid, peak 1.
// Entry g is at time (g - pulse half) / grid rate.
struct RdsWave {
    std::vector<double> samples;
    int lead = 0;
    double at(double t) const {
        const double x = t * synth::rdsGridRate + lead;
        if (x < 0.0) return 0.0;
        const size_t i = size_t(x);
        if (i + 1 >= samples.size()) return 0.0;
        const double frac = x - double(i);
        return samples[i] * (1.0 - frac) + samples[i + 1] * frac;
    }
};

RdsWave rdsWave(const RdsProgramme& p, double seconds) {
    RdsWave wave;
    if (!p.on) return wave;
    const size_t bits = (size_t(seconds * synth::rdsBitRate / synth::rdsGroupBits) + 2) * synth::rdsGroupBits;
    const int half = synth::rdsPulseHalfBits * synth::rdsGridPerBit;
    wave.lead = half;
    synth::RdsWaveform source(p);
    wave.samples.resize(bits * synth::rdsGridPerBit + size_t(2 * half + 1));
    double peak = 0.0;
    for (double& v : wave.samples) {
        v = source.next();
        peak = std::max(peak, std::fabs(v));
    }
    for (double& v : wave.samples) v /= peak;
    return wave;
}

// The tones of one channel at time t, each through 1 + j w tau.
double emphasisedAudio(const std::vector<Tone>& tones, double tau, double t) {
    double sum = 0.0;
    for (const Tone& tone : tones) {
        const double w = 2.0 * pi * tone.hz;
        const double gain = std::hypot(1.0, w * tau);
        const double lead = std::atan(w * tau);
        sum += tone.amplitude * gain * std::sin(w * t + lead);
    }
    return sum;
}

// The multiplex of one station at time t, 1.0 = 75 kHz.
double multiplex(const TestStation& s, const RdsWave& rds, double t) {
    const double left = emphasisedAudio(s.left, s.preemphasisSeconds, t);
    const double right = emphasisedAudio(s.right, s.preemphasisSeconds, t);
    const double pilotAngle = 2.0 * pi * pilotHz * t + s.pilotPhase;
    double data = 0.0;
    if (s.rds.on)
        data = s.rds.deviationHz / deviationHz * rds.at(t) * std::sin(3.0 * pilotAngle + s.rds.phase);
    if (!s.stereo) return audioShare * (left + right) / 2.0 + data;
    return audioShare * ((left + right) / 2.0 + (left - right) / 2.0 * std::sin(2.0 * pilotAngle)) +
           s.pilotLevel * std::sin(pilotAngle) + data;
}

}  // namespace

std::vector<std::complex<double>> makeBand(const Band& band, const std::vector<TestStation>& stations) {
    const size_t n = size_t(std::llround(band.seconds * band.sampleRate));
    std::vector<std::complex<double>> out(n);
    for (const TestStation& s : stations) {
        const double amplitude = std::sqrt(band.noisePower * std::pow(10.0, s.snrDb / 10.0));
        const RdsWave rds = rdsWave(s.rds, band.seconds);
        double phase = 0.0, previous = multiplex(s, rds, 0.0);
        for (size_t i = 0; i < n; ++i) {
            const double t = double(i) / band.sampleRate;
            const double m = multiplex(s, rds, t);
            phase += 2.0 * pi * deviationHz * (m + previous) / 2.0 / band.sampleRate;  // trapezoid
            previous = m;
            const double cycles = s.offsetHz * double(i) / band.sampleRate;
            const double carrier = 2.0 * pi * (cycles - std::floor(cycles));
            out[i] += std::polar(amplitude, carrier + phase);
        }
    }
    if (band.noise) {
        std::mt19937 random(band.seed);
        const double perComponent = std::sqrt(band.noisePower * band.sampleRate / referenceWidthHz / 2.0);
        std::normal_distribution<double> gauss(0.0, perComponent);
        for (auto& x : out) x += std::complex<double>(gauss(random), gauss(random));
    }
    return out;
}

std::vector<int8_t> makeBandCs8(const Band& band, const std::vector<TestStation>& stations) {
    const std::vector<std::complex<double>> iq = makeBand(band, stations);
    std::vector<int8_t> out(iq.size() * 2);
    auto quantise = [](double v) { return int8_t(std::clamp(std::round(v), -127.0, 127.0)); };
    for (size_t i = 0; i < iq.size(); ++i) {
        out[2 * i] = quantise(iq[i].real());
        out[2 * i + 1] = quantise(iq[i].imag());
    }
    return out;
}

double tonePower(const std::vector<float>& audio, int channels, int channel, size_t start, size_t count,
                 double hz, double rate) {
    const double bin = hz * double(count) / rate;
    const long centre = std::lround(bin);
    double power = 0.0;
    for (long k = centre - 2; k <= centre + 2; ++k) {
        double re = 0.0, im = 0.0;
        for (size_t i = 0; i < count; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * pi * double(i) / double(count));
            const double x = audio[(start + i) * size_t(channels) + size_t(channel)] * w;
            const double a = 2.0 * pi * double(k) * double(i) / double(count);
            re += x * std::cos(a);
            im -= x * std::sin(a);
        }
        power += re * re + im * im;
    }
    // A sine of amplitude A on a bin reads A^2: Hann puts AN/4 in its bin and AN/8 either side.
    return power / (double(count) * double(count) * 3.0 / 32.0);
}

}  // namespace orv::testband
