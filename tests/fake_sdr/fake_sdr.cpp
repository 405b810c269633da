// The end-to-end suite's SDR: a SoapySDR module (driver "orvantafake",
// label "Orvanta test SDR") that plays a band of test stations in real time
// as CS8, as a dongle does. Loaded with SOAPY_SDR_ROOT=/nonexistent and
// SOAPY_SDR_PLUGIN_PATH naming its folder, so that no installed module loads.
//
//   FAKE_SDR_STATIONS  MHz list (default 98.1,98.6); station i plays
//                      (i+1) kHz on the left and (i+3) kHz on the right, in stereo,
//                      30 dB over the noise.
//   FAKE_SDR_GONE_FILE while this file exists the device is unplugged: it
//                      is not found, and reads fail.
//   FAKE_SDR_LOG       gets "FREQ <hardware Hz>" per tuning.
//
// Like the rtlsdr module it keeps what it captured at the old frequency
// queued after a retune (16 ms of it).
#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Registry.hpp>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "receiver/test_band.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double pi = 3.14159265358979323846;
constexpr double loopSeconds = 0.1;  // every tone and offset makes whole cycles in it
constexpr double staleSeconds = 0.016;
constexpr double snrDb = 30.0;
constexpr double reach = 0.45;  // of the rate, either side of the centre
const char* const driverName = "orvantafake";
const char* const labelText = "Orvanta test SDR";

bool gone() {
    const char* file = std::getenv("FAKE_SDR_GONE_FILE");
    return file && *file && access(file, F_OK) == 0;
}

std::vector<double> stationList() {
    const char* text = std::getenv("FAKE_SDR_STATIONS");
    std::string list = text && *text ? text : "98.1,98.6";
    std::vector<double> out;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        const double mhz = std::atof(list.substr(start, end - start).c_str());
        if (mhz > 0) out.push_back(mhz * 1e6);
        start = end + 1;
    }
    return out;
}

void logLine(const std::string& line) {
    const char* path = std::getenv("FAKE_SDR_LOG");
    if (!path || !*path) return;
    if (std::FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

class FakeSdr : public SoapySDR::Device {
public:
    std::string getDriverKey() const override { return driverName; }
    std::string getHardwareKey() const override { return driverName; }
    size_t getNumChannels(const int) const override { return 1; }
    std::vector<std::string> getStreamFormats(const int, const size_t) const override { return {SOAPY_SDR_CS8}; }
    std::string getNativeStreamFormat(const int, const size_t, double& fullScale) const override {
        fullScale = 128;
        return SOAPY_SDR_CS8;
    }
    void setSampleRate(const int, const size_t, const double rate) override { rate_ = rate; }
    double getSampleRate(const int, const size_t) const override { return rate_; }
    bool hasGainMode(const int, const size_t) const override { return true; }
    void setGainMode(const int, const size_t, const bool) override {}
    void setGain(const int, const size_t, const double) override {}
    bool hasFrequencyCorrection(const int, const size_t) const override { return true; }
    void setFrequencyCorrection(const int, const size_t, const double) override {}

    void setFrequency(const int, const size_t, const double hz, const SoapySDR::Kwargs&) override {
        if (gone()) throw std::runtime_error("device gone");
        std::lock_guard<std::mutex> lock(mutex_);
        prepare();
        centre_ = hz;
        stale_ = current_;
        staleLeft_ = size_t(staleSeconds * rate_);
        current_ = loopFor(hz);
        logLine("FREQ " + std::to_string(std::llround(hz)));
    }
    double getFrequency(const int, const size_t) const override { return centre_; }

    SoapySDR::Stream* setupStream(const int, const std::string& format, const std::vector<size_t>&,
                                  const SoapySDR::Kwargs&) override {
        if (format != SOAPY_SDR_CS8) throw std::runtime_error("CS8 only");
        return reinterpret_cast<SoapySDR::Stream*>(this);
    }
    void closeStream(SoapySDR::Stream*) override {}
    int activateStream(SoapySDR::Stream*, const int, const long long, const size_t) override {
        std::lock_guard<std::mutex> lock(mutex_);
        prepare();
        if (current_.empty()) current_ = loopFor(centre_);
        start_ = Clock::now();
        delivered_ = 0;
        return 0;
    }
    int deactivateStream(SoapySDR::Stream*, const int, const long long) override { return 0; }

    int readStream(SoapySDR::Stream*, void* const* buffs, const size_t count, int& flags, long long& timeNs,
                   const long timeoutUs) override {
        flags = 0;
        timeNs = 0;
        if (gone()) return SOAPY_SDR_STREAM_ERROR;
        const auto due = start_ + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(double(delivered_ + count) / rate_));
        if (due > Clock::now() + std::chrono::microseconds(timeoutUs)) {
            std::this_thread::sleep_for(std::chrono::microseconds(timeoutUs));
            return SOAPY_SDR_TIMEOUT;
        }
        std::this_thread::sleep_until(due);
        std::lock_guard<std::mutex> lock(mutex_);
        auto* out = static_cast<int8_t*>(buffs[0]);
        for (size_t i = 0; i < count; ++i) {
            const std::vector<int8_t>& loop = staleLeft_ > 0 && !stale_.empty() ? stale_ : current_;
            if (staleLeft_ > 0) --staleLeft_;
            const size_t at = size_t(position_ % (loop.size() / 2));
            out[2 * i] = loop[2 * at];
            out[2 * i + 1] = loop[2 * at + 1];
            ++position_;
        }
        delivered_ += count;
        return int(count);
    }

private:
    // The stations at zero offset and the noise, made once per rate.
    void prepare() {
        if (preparedRate_ == rate_) return;
        preparedRate_ = rate_;
        orv::testband::Band band;
        band.sampleRate = rate_;
        band.seconds = loopSeconds;
        band.noise = true;
        noise_ = orv::testband::makeBand(band, {});
        band.noise = false;
        stations_.clear();
        const std::vector<double> list = stationList();
        for (size_t i = 0; i < list.size(); ++i) {
            orv::testband::TestStation s;
            s.snrDb = snrDb;
            s.left = {{1000.0 * double(i + 1), 0.4}};
            s.right = {{1000.0 * double(i + 3), 0.4}};
            stations_.push_back({list[i], orv::testband::makeBand(band, {s})});
        }
    }

    std::vector<int8_t> loopFor(double centre) const {
        std::vector<std::complex<double>> sum = noise_;
        for (const auto& [hz, samples] : stations_) {
            const double offset = hz - centre;
            if (std::fabs(offset) > reach * rate_) continue;
            for (size_t i = 0; i < sum.size(); ++i) {
                double cycles = offset * double(i) / rate_;
                cycles -= std::floor(cycles);
                sum[i] += samples[i] * std::polar(1.0, 2.0 * pi * cycles);
            }
        }
        std::vector<int8_t> out(sum.size() * 2);
        for (size_t i = 0; i < sum.size(); ++i) {
            out[2 * i] = int8_t(std::lrint(std::fmax(-127.0, std::fmin(127.0, sum[i].real()))));
            out[2 * i + 1] = int8_t(std::lrint(std::fmax(-127.0, std::fmin(127.0, sum[i].imag()))));
        }
        return out;
    }

    std::mutex mutex_;
    double rate_ = 1024000.0, preparedRate_ = 0.0, centre_ = 100e6;
    std::vector<std::complex<double>> noise_;
    std::vector<std::pair<double, std::vector<std::complex<double>>>> stations_;
    std::vector<int8_t> current_, stale_;
    size_t staleLeft_ = 0;
    uint64_t position_ = 0, delivered_ = 0;
    Clock::time_point start_ = Clock::now();
};

SoapySDR::KwargsList findFake(const SoapySDR::Kwargs& args) {
    const auto driver = args.find("driver");
    if (driver != args.end() && driver->second != driverName) return {};
    if (gone()) return {};
    return {{{"driver", driverName}, {"label", std::string(labelText) + " :: 0001"}, {"serial", "0001"}}};
}

SoapySDR::Device* makeFake(const SoapySDR::Kwargs&) {
    if (gone()) throw std::runtime_error("no orvantafake device");
    return new FakeSdr;
}

const SoapySDR::Registry registration(driverName, &findFake, &makeFake, SOAPY_SDR_ABI_VERSION);

}  // namespace
