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

// RDS.
constexpr double rdsBitRate = 1187.5;
constexpr int rdsGridPerBit = 32;        // the shaped waveform's samples a bit
constexpr int rdsPulseHalfBits = 2;      // the shaping pulse kept to +-2 bits
constexpr int rdsShapeSteps = 400;       // integration steps for the pulse
constexpr uint32_t rdsPolynomial = 0x5B9;
constexpr uint16_t rdsOffsets[] = {0x0FC, 0x198, 0x168, 0x1B4};  // A, B, C, D
constexpr uint16_t rdsOffsetCPrime = 0x350;
constexpr uint16_t noAlternativeFrequencies = 0xE0CD;  // "no AF" and a filler code
constexpr uint8_t rdsTextEnd = 0x0D;

// The check word: the information times x^10, remainder by the polynomial.
uint16_t rdsCheck(uint16_t info) {
    uint32_t r = uint32_t(info) << 10;
    for (int bit = 25; bit >= 10; --bit)
        if (r & (1u << bit)) r ^= rdsPolynomial << (bit - 10);
    return uint16_t(r & 0x3FF);
}

// A text as its 2A segments: the end code after a short text, spaces to a whole segment.
std::string paddedText(std::string text) {
    if (text.size() < 64) text += char(rdsTextEnd);
    while (text.size() % 4 != 0) text += ' ';
    return text;
}

uint16_t pair(const std::string& s, size_t i) { return uint16_t((uint8_t(s[i]) << 8) | uint8_t(s[i + 1])); }

// The transmitter's pulse: the square root of the cosine spectrum
// cos(pi f Td / 4) up to 2 / Td, Td the bit time, on the waveform's grid.
std::vector<double> rdsPulse() {
    const double td = 1.0 / rdsBitRate;
    const double top = 2.0 / td;
    const int half = rdsPulseHalfBits * rdsGridPerBit;
    std::vector<double> pulse(size_t(2 * half + 1));
    for (int j = -half; j <= half; ++j) {
        const double t = j * td / rdsGridPerBit;
        double sum = 0.0;
        for (int k = 0; k < rdsShapeSteps; ++k) {
            const double f = (k + 0.5) * top / rdsShapeSteps;
            sum += std::sqrt(std::cos(pi * f * td / 4.0)) * std::cos(2.0 * pi * f * t);
        }
        pulse[size_t(j + half)] = 2.0 * sum * top / rdsShapeSteps;
    }
    return pulse;
}

// A station's RDS baseband on a grid of rdsGridPerBit a bit, peak 1.
// Entry g is at time (g - pulse half) / (bit rate x grid).
struct RdsWave {
    std::vector<double> samples;
    int lead = 0;
    double at(double t) const {
        const double x = t * rdsBitRate * rdsGridPerBit + lead;
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
    const size_t groups = size_t(seconds * rdsBitRate / 104.0) + 2;
    const std::vector<uint8_t> bits = rdsBits(rdsGroups(p, groups));
    const std::vector<double> pulse = rdsPulse();
    const int half = rdsPulseHalfBits * rdsGridPerBit;
    wave.lead = half;
    wave.samples.assign(bits.size() * rdsGridPerBit + size_t(2 * half + 1), 0.0);
    int sent = 0;  // differential coding: the sent bit flips on a data 1
    for (size_t k = 0; k < bits.size(); ++k) {
        sent ^= bits[k];
        const double polarity = sent ? 1.0 : -1.0;
        // Biphase: an impulse at the bit's start and the opposite one half a bit later.
        const size_t start = k * rdsGridPerBit;
        for (size_t j = 0; j < pulse.size(); ++j) {
            wave.samples[start + j] += polarity * pulse[j];
            if (start + j + rdsGridPerBit / 2 < wave.samples.size())
                wave.samples[start + j + rdsGridPerBit / 2] -= polarity * pulse[j];
        }
    }
    double peak = 0.0;
    for (double v : wave.samples) peak = std::max(peak, std::fabs(v));
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

std::vector<RdsGroup> rdsGroups(const RdsProgramme& p, size_t count) {
    std::vector<RdsGroup> out;
    const uint16_t common = uint16_t((p.tp ? 1 << 10 : 0) | (p.pty & 31) << 5);
    size_t nameSegments = 0;
    size_t text = 0, textSegment = 0, textPass = 0;
    for (size_t g = 0; g < count; ++g) {
        const size_t slot = g % 10;
        const bool clockSlot = slot == 8 && p.clock;
        const bool nameSlot = slot == 0 || slot == 2 || slot == 4 || slot == 6 || (p.texts.empty() && !clockSlot);
        RdsGroup group{p.pi, common, 0, 0};
        if (nameSlot) {
            const size_t segment = nameSegments % 4;
            const std::string& name = p.names[(nameSegments / 4 / size_t(p.namePasses)) % p.names.size()];
            ++nameSegments;
            group[1] |= uint16_t((p.ta ? 1 << 4 : 0) | segment);
            group[2] = noAlternativeFrequencies;
            group[3] = pair(name, 2 * segment);
        } else if (clockSlot) {
            const int offset = std::abs(p.offsetHalfHours) | (p.offsetHalfHours < 0 ? 0x20 : 0);
            group[1] |= uint16_t(4 << 12 | (p.mjd >> 15));
            group[2] = uint16_t((p.mjd & 0x7FFF) << 1 | (p.utcHour >> 4));
            group[3] = uint16_t((p.utcHour & 15) << 12 | p.utcMinute << 6 | offset);
        } else {
            const std::string padded = paddedText(p.texts[text]);
            group[1] |= uint16_t(2 << 12 | (text & 1) << 4 | textSegment);
            group[2] = pair(padded, 4 * textSegment);
            group[3] = pair(padded, 4 * textSegment + 2);
            if (++textSegment == padded.size() / 4) {
                textSegment = 0;
                if (++textPass == size_t(p.textPasses)) {
                    textPass = 0;
                    text = (text + 1) % p.texts.size();
                }
            }
        }
        out.push_back(group);
    }
    return out;
}

std::vector<uint8_t> rdsBits(const std::vector<RdsGroup>& groups) {
    std::vector<uint8_t> bits;
    bits.reserve(groups.size() * 104);
    for (const RdsGroup& g : groups) {
        const bool versionB = (g[1] >> 11) & 1;
        for (int b = 0; b < 4; ++b) {
            const uint16_t offset = b == 2 && versionB ? rdsOffsetCPrime : rdsOffsets[b];
            const uint32_t block = uint32_t(g[size_t(b)]) << 10 | (rdsCheck(g[size_t(b)]) ^ offset);
            for (int bit = 25; bit >= 0; --bit) bits.push_back(uint8_t((block >> bit) & 1));
        }
    }
    return bits;
}

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
