// Levels in a raw recording of signed 16-bit stereo at 48 kHz (what SDL's
// disk audio driver writes): for the frames from START for SECONDS, the RMS
// of each channel and the level of each given tone in each channel, all in
// dB of full scale (a full-scale sine reads 0). Each figure is the median
// over the span's tenths of a second, so that a gap where the sound device's
// clock outran the radio does not sway it.
//   tone_levels FILE START SECONDS [HZ...]
// prints "rms L R" and one "HZ L R" line per tone; -200 stands for nothing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double rate = 48000.0;
constexpr double pi = 3.14159265358979323846;
constexpr double floorDb = -200.0;
constexpr size_t pieceFrames = 4800;  // a tenth of a second: tones at multiples of 10 Hz sit on bins

double toDb(double amplitude) { return amplitude > 0 ? std::fmax(floorDb, 20.0 * std::log10(amplitude)) : floorDb; }

// The amplitude of a sine at hz in x (Hann-windowed Goertzel, full scale 1).
double toneAmplitude(const std::vector<double>& x, double hz) {
    const double w = 2.0 * pi * hz / rate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0, windowSum = 0.0;
    const size_t n = x.size();
    for (size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * pi * double(i) / double(n));
        windowSum += window;
        const double s = x[i] * window + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double re = s1 - s2 * std::cos(w), im = s2 * std::sin(w);
    return windowSum > 0 ? 2.0 * std::hypot(re, im) / windowSum : 0.0;
}

double rms(const std::vector<double>& x) {
    double sum = 0.0;
    for (double v : x) sum += v * v;
    return x.empty() ? 0.0 : std::sqrt(sum / double(x.size()));
}

// The median over the span's pieces of measure(piece).
template <typename Measure>
double medianOverPieces(const std::vector<double>& x, Measure measure) {
    std::vector<double> values;
    for (size_t at = 0; at + pieceFrames <= x.size(); at += pieceFrames)
        values.push_back(measure(std::vector<double>(x.begin() + long(at), x.begin() + long(at + pieceFrames))));
    if (values.empty()) values.push_back(measure(x));
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tone_levels FILE START SECONDS [HZ...]\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "rb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    const long first = long(std::atof(argv[2]) * rate), count = long(std::atof(argv[3]) * rate);
    std::vector<double> channel[2];
    if (std::fseek(f, first * 4, SEEK_SET) == 0) {
        int16_t frame[2];
        for (long i = 0; i < count && std::fread(frame, sizeof frame, 1, f) == 1; ++i) {
            channel[0].push_back(frame[0] / 32768.0);
            channel[1].push_back(frame[1] / 32768.0);
        }
    }
    std::fclose(f);
    if (channel[0].size() < size_t(count)) {
        std::fprintf(stderr, "%s: only %zu frames from %s s\n", argv[1], channel[0].size(), argv[2]);
        return 1;
    }
    const auto level = [](const std::vector<double>& piece) { return toDb(rms(piece) * std::sqrt(2.0)); };
    std::printf("rms %.1f %.1f\n", medianOverPieces(channel[0], level), medianOverPieces(channel[1], level));
    for (int i = 4; i < argc; ++i) {
        const double hz = std::atof(argv[i]);
        const auto tone = [hz](const std::vector<double>& piece) { return toDb(toneAmplitude(piece, hz)); };
        std::printf("%s %.1f %.1f\n", argv[i], medianOverPieces(channel[0], tone), medianOverPieces(channel[1], tone));
    }
    return 0;
}
