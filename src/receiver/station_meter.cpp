#include "receiver/station_meter.h"

#include <algorithm>
#include <cmath>

#include "receiver/filters.h"
#include "receiver/fm_discriminator.h"
#include "receiver/tuning.h"

namespace orv::receiver {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double strengthSteps = 65536.0;

// Spectrum: 8 kHz bins (25 make the channel), one frame in 16 is enough.
constexpr double spectrumBinHz = 8000.0;
constexpr size_t framesPerPeriod = 16;
constexpr double usableBandFraction = 0.75;  // the dongle's anti-alias filter rolls off outside
constexpr double floorPercentile = 0.25;
constexpr double floorZ = 0.6745;            // standard normal at the 25th percentile
constexpr double levelFloorDb = -30.0;

// Quieting band in the multiplex.
constexpr double quietCentreHz = 80000.0;
constexpr double quietHalfWidthHz = 14000.0;
constexpr int quietTaps = 31;
constexpr size_t quietDecimation = 4;        // the power needs no more than every 4th output

double toDb(double ratio) { return 10.0 * std::log10(ratio); }

}  // namespace

double thresholdToDb(uint16_t threshold) { return threshold * strengthFullScaleDb / strengthSteps; }

uint16_t strengthFromDb(double levelDb) {
    const double steps = std::round(levelDb * strengthSteps / strengthFullScaleDb);
    return uint16_t(std::clamp(steps, 0.0, strengthSteps - 1.0));
}

bool isStation(double levelDb, double quietingDb, double carrierOffsetHz, double thresholdDb) {
    return levelDb >= thresholdDb && quietingDb >= minQuietingDb &&
           std::fabs(carrierOffsetHz) <= carrierCaptureHz;
}

void MeasurementBox::restart(uint32_t generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    value_ = Measurement{};
    value_.generation = generation;
}

bool MeasurementBox::publish(const Measurement& m) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (m.generation != value_.generation) return false;
    value_ = m;
    return true;
}

Measurement MeasurementBox::read() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return value_;
}

SpectrumMeter::SpectrumMeter(double sampleRate, double dcHz)
    : binHz_(spectrumBinHz), sampleRate_(sampleRate), dcHz_(dcHz) {
    size_ = 1;
    while (double(size_) * spectrumBinHz < sampleRate) size_ *= 2;
    binHz_ = sampleRate / double(size_);
    period_ = size_ * framesPerPeriod;
    window_.resize(size_);
    for (size_t i = 0; i < size_; ++i) window_[i] = float(0.5 - 0.5 * std::cos(2.0 * pi * double(i) / double(size_)));
    frame_.resize(size_);
    twiddles_.resize(size_ / 2);
    for (size_t i = 0; i < size_ / 2; ++i)
        twiddles_[i] = std::polar(1.0f, float(-2.0 * pi * double(i) / double(size_)));
    reset();
}

void SpectrumMeter::startWindow() {
    power_.assign(size_, 0.0);
    frames_ = 0;
}

void SpectrumMeter::reset() {
    startWindow();
    position_ = 0;
}

void SpectrumMeter::feed(const Complex* x, size_t n) {
    size_t i = 0;
    while (i < n) {
        if (position_ < size_) {
            const size_t take = std::min(size_ - position_, n - i);
            for (size_t k = 0; k < take; ++k) frame_[position_ + k] = x[i + k] * window_[position_ + k];
            position_ += take;
            i += take;
            if (position_ == size_) takeFrame();
        } else {
            const size_t skip = std::min(period_ - position_, n - i);
            position_ += skip;
            i += skip;
        }
        if (position_ == period_) position_ = 0;
    }
}

// An in-place radix-2 FFT of the frame, its bin powers added to the window's sums.
void SpectrumMeter::takeFrame() {
    std::vector<Complex>& a = frame_;
    const size_t n = size_;
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const size_t stride = n / len;
        for (size_t i = 0; i < n; i += len) {
            for (size_t k = 0; k < len / 2; ++k) {
                const Complex t = a[i + k + len / 2] * twiddles_[k * stride];
                a[i + k + len / 2] = a[i + k] - t;
                a[i + k] += t;
            }
        }
    }
    for (size_t k = 0; k < n; ++k) power_[k] += double(std::norm(a[k]));
    ++frames_;
}

double SpectrumMeter::channelLevelDb() const {
    if (frames_ == 0) return levelFloorDb;
    const double halfChannel = channelWidthHz / 2.0;
    double channel = 0.0;
    int channelBins = 0;
    std::vector<double> floorBins;
    for (size_t k = 0; k < size_; ++k) {
        const double f = (k < size_ / 2 ? double(k) : double(k) - double(size_)) * binHz_;
        if (std::fabs(f) < halfChannel) {
            channel += power_[k];
            ++channelBins;
        }
        if (std::fabs(f) <= usableBandFraction * sampleRate_ / 2.0 && std::fabs(f - dcHz_) > 1.5 * binHz_)
            floorBins.push_back(power_[k]);
    }
    const size_t rank = size_t(floorPercentile * double(floorBins.size()));
    std::nth_element(floorBins.begin(), floorBins.begin() + ptrdiff_t(rank), floorBins.end());
    // A bin's average over K frames is Gamma(K) distributed; Wilson-Hilferty
    // gives where the percentile of that lies below the mean.
    const double k9 = 9.0 * frames_;
    const double percentileOfMean = std::pow(1.0 - 1.0 / k9 - floorZ / std::sqrt(k9), 3.0);
    const double noise = floorBins[rank] / percentileOfMean * channelBins;
    if (noise <= 0.0) return levelFloorDb;
    const double carrier = channel - noise;
    return std::max(levelFloorDb, carrier > 0.0 ? toDb(carrier / noise) : levelFloorDb);
}

QuietingMeter::QuietingMeter(double sampleRate) {
    // A lowpass moved up to the band's centre.
    const std::vector<float> lowpass = kaiserLowpass(quietTaps, quietHalfWidthHz / sampleRate, kaiserBeta(50.0));
    taps_.resize(lowpass.size());
    const int centre = quietTaps / 2;
    for (int n = 0; n < quietTaps; ++n)
        taps_[size_t(n)] = float(2.0 * lowpass[size_t(n)] * std::cos(2.0 * pi * quietCentreHz / sampleRate * (n - centre)));
    // Expected band power for carrier = noise in the 200 kHz channel:
    // integral of f^2 |H(f)|^2 droop(f)^2 df over 0..rate/2, / (channel width * 75 kHz^2).
    constexpr int steps = 2000;
    double integral = 0.0;
    for (int i = 0; i < steps; ++i) {
        const double f = (i + 0.5) * sampleRate / 2.0 / steps;
        const double h = firMagnitude(taps_, f / sampleRate) * discriminatorDroop(f, sampleRate);
        integral += f * f * h * h * (sampleRate / 2.0 / steps);
    }
    unitNoisePower_ = integral / (channelWidthHz * fullDeviationHz * fullDeviationHz);
    reset();
}

void QuietingMeter::startWindow() {
    sum_ = 0.0;
    count_ = 0;
}

void QuietingMeter::reset() {
    startWindow();
    work_.clear();
}

void QuietingMeter::feed(const float* mpx, size_t n) {
    work_.insert(work_.end(), mpx, mpx + n);
    const size_t length = taps_.size();
    size_t p = 0;
    for (; p + length <= work_.size(); p += quietDecimation) {
        const float* w = work_.data() + p;
        float acc = 0.0f;
        for (size_t k = 0; k < length; ++k) acc += taps_[k] * w[k];
        sum_ += double(acc) * acc;
        ++count_;
    }
    work_.erase(work_.begin(), work_.begin() + ptrdiff_t(p));
}

double QuietingMeter::quietingDb() const {
    if (count_ == 0) return levelFloorDb;
    const double power = sum_ / double(count_);
    if (power <= 0.0) return -levelFloorDb;
    return std::clamp(toDb(unitNoisePower_ / power), levelFloorDb, -levelFloorDb * 2.0);
}

}  // namespace orv::receiver
