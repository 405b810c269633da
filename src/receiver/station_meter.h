// Is there a station on the tuned grid point? The answers behind seek and
// the TUNED lamp, and the record the card code reads from its own thread.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace orv::receiver {

using Complex = std::complex<float>;

// The level scale: the V4L2 signal strength's 0..65535 spans 0..60 dB of
// carrier over the noise in the 200 kHz channel, linearly in dB (1092 a dB).
// The default threshold 16384 is 15 dB: a station 20 dB over the noise is
// found with 5 dB to spare, while noise alone measures about 0 dB or less.
constexpr double strengthFullScaleDb = 60.0;
constexpr uint16_t defaultThreshold = 16384;
double thresholdToDb(uint16_t threshold);
uint16_t strengthFromDb(double levelDb);

// FM quieting: a carrier this far over the noise (by the discriminator's own
// noise) is past the FM threshold. Noise alone stays below 0 dB.
constexpr double minQuietingDb = 10.0;

// A station: the channel stands clear of the noise floor, the discriminator
// is quiet, and the carrier is within half a grid step of the tuned point.
bool isStation(double levelDb, double quietingDb, double carrierOffsetHz, double thresholdDb);

// What the receiver measured over its latest window on the current tuning.
struct Measurement {
    uint32_t generation = 0;      // the tuning it belongs to
    bool ready = false;           // false until a full window since the retune
    bool signal = false;          // a station here (for seek and TUNED)
    double levelDb = 0.0;         // carrier over noise in the 200 kHz channel
    double quietingDb = 0.0;      // carrier over noise as the discriminator hears it
    double carrierOffsetHz = 0.0; // carrier minus tuned point
    bool pilot = false;           // 19 kHz pilot locked
    double pilotLevel = 0.0;      // 1.0 = 75 kHz deviation
    double blend = 0.0;           // stereo blend the audio uses: 0 mono, 1 stereo
    uint16_t strength = 0;        // levelDb on the 0..65535 scale
};

// A locked copy of the latest measurement. restart() belongs to a retune:
// from then on only measurements of the new generation are taken.
class MeasurementBox {
public:
    void restart(uint32_t generation);
    // False (and ignored) when m is of another generation than the latest restart.
    bool publish(const Measurement& m);
    Measurement read() const;

private:
    mutable std::mutex mutex_;
    Measurement value_;
};

// The captured band's power spectrum, averaged over a window: carrier over
// noise in the channel. The noise floor is a low percentile of the band's
// bins (away from the band edges and the hardware's DC), so it needs no
// calibration and stations elsewhere in the band do not raise it.
class SpectrumMeter {
public:
    // Input at sampleRate, the station at 0 Hz, the hardware's DC at dcHz.
    SpectrumMeter(double sampleRate, double dcHz);
    void startWindow();
    void reset();
    void feed(const Complex* x, size_t n);
    int frames() const { return frames_; }
    // Carrier over noise in the 200 kHz channel, dB (about -30 when nothing is there).
    double channelLevelDb() const;

private:
    void takeFrame();

    size_t size_, period_, position_ = 0;
    double binHz_, sampleRate_, dcHz_;
    std::vector<float> window_;
    std::vector<Complex> frame_, twiddles_;
    std::vector<double> power_;
    int frames_ = 0;
};

// The discriminator's noise in a band above the multiplex (66..94 kHz, no
// programme there): above the FM threshold its power is the frequency noise
// f^2 N0 / C, so it reads the carrier-to-noise ratio.
class QuietingMeter {
public:
    explicit QuietingMeter(double sampleRate);
    void startWindow();
    void reset();
    void feed(const float* mpx, size_t n);
    // Carrier over noise in the 200 kHz channel as the discriminator hears it, dB.
    double quietingDb() const;

private:
    std::vector<float> taps_;
    std::vector<float> work_;
    double unitNoisePower_;  // the band's power at 0 dB carrier to noise
    double sum_ = 0.0;
    size_t count_ = 0;
};

}  // namespace orv::receiver
