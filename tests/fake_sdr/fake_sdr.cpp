// The end-to-end suite's SDR: a SoapySDR module (driver "orvantafake",
// label "Orvanta test SDR") that plays a band of test stations in real time
// as CS8, as a dongle does. Loaded with SOAPY_SDR_ROOT=/nonexistent and
// SOAPY_SDR_PLUGIN_PATH naming its folder, so that no installed module loads.
//
//   FAKE_SDR_STATIONS  MHz list (default 98.1,98.6); station i plays
//                      (i+1) kHz on the left and (i+3) kHz on the right, in stereo,
//                      30 dB over the noise, and sends the RDS of the simulated
//                      band's station at place i (synth::bandRds): the first a
//                      fixed name ("ORVANTA ", two texts, the clock), the second
//                      a name scrolled in pieces of eight, the third none.
//
// The programmes and the noise are made once, as loops of 0.1 s (whole
// cycles of every tone and the pilot); RDS does not repeat that soon, so it
// is added while playing: the station's phase turned by the integral of its
// RDS on 57 kHz (three times the pilot), which is what FM of the sum is.
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
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "receiver/test_band.h"
#include "synth/band_synth.h"
#include "synth/rds_encoder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double pi = 3.14159265358979323846;
constexpr double loopSeconds = 0.1;  // every tone and offset makes whole cycles in it
constexpr double staleSeconds = 0.016;
constexpr double snrDb = 30.0;
constexpr double reach = 0.45;  // of the rate, either side of the centre
constexpr double deviationHz = 75000.0;
constexpr double pilotPhase = 0.3;  // the test band's pilot at t = 0
constexpr double twoTo32 = 4294967296.0;
// The RDS phase's slow pull back to 0 a sample: what the integral keeps of
// any rounding, gone in about 10 ms; far below the subcarrier.
constexpr double phaseLeak = 1e-4;
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

// A sine table read by a 32-bit phase's top bits.
constexpr int tableBits = 12;
const std::vector<float>& sineTable() {
    static const std::vector<float> table = [] {
        std::vector<float> t(1u << tableBits);
        for (size_t i = 0; i < t.size(); ++i) t[i] = float(std::sin(2.0 * pi * double(i) / double(t.size())));
        return t;
    }();
    return table;
}

// One station as tuned: its loop mixed to its offset, and its RDS.
struct Playing {
    std::vector<std::complex<float>> loop;
    std::unique_ptr<orv::synth::RdsWaveform> rds;
    float radiansPerUnit = 0.0f;  // phase a sample per unit of RDS on the subcarrier
    double turn = 0.0;            // the RDS phase now, radians
    float at = 0.0f, step = 0.0f, before = 0.0f, after = 0.0f;  // the baseband between its samples

    // The station's sample at loop place i, turned by its RDS; subcarrier: the 57 kHz phase now.
    std::complex<float> next(size_t i, uint32_t subcarrier) {
        if (!rds) return loop[i];
        at += step;
        while (at >= 1.0f) {
            before = after;
            after = rds->next();
            at -= 1.0f;
        }
        const float baseband = before + (after - before) * at;
        turn += radiansPerUnit * baseband * sineTable()[subcarrier >> (32 - tableBits)];
        turn -= turn * phaseLeak;
        // The turn stays within a few hundredths of a radian: two terms each way suffice.
        const float t = float(turn);
        const std::complex<float> rotation(1.0f - t * t / 2.0f, t - t * t * t / 6.0f);
        return loop[i] * rotation;
    }
};

// What the device captures at one centre frequency.
struct Tuning {
    std::vector<Playing> stations;
};

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
        stale_ = std::move(current_);
        staleLeft_ = size_t(staleSeconds * rate_);
        current_ = tuningFor(hz);
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
        if (!current_) current_ = tuningFor(centre_);
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
        keepClock();
        auto* out = static_cast<int8_t*>(buffs[0]);
        const size_t loopLength = noise_.size();
        for (size_t i = 0; i < count; ++i) {
            Tuning& tuning = staleLeft_ > 0 && stale_ ? *stale_ : *current_;
            if (staleLeft_ > 0) --staleLeft_;
            const size_t at = size_t(position_ % loopLength);
            const uint32_t subcarrier = uint32_t(position_ * subcarrierStep_) + subcarrierStart_;
            std::complex<float> sum = noise_[at];
            for (Playing& station : tuning.stations) sum += station.next(at, subcarrier);
            out[2 * i] = int8_t(std::lrint(std::fmax(-127.0f, std::fmin(127.0f, sum.real()))));
            out[2 * i + 1] = int8_t(std::lrint(std::fmax(-127.0f, std::fmin(127.0f, sum.imag()))));
            ++position_;
        }
        delivered_ += count;
        return int(count);
    }

private:
    // The stations' clock groups on this machine's time, set once a second.
    void keepClock() {
        const std::time_t second = std::time(nullptr);
        if (second == clockSet_ || !current_) return;
        clockSet_ = second;
        const orv::synth::RdsTime now = orv::synth::rdsTimeNow();
        for (Playing& station : current_->stations)
            if (station.rds) station.rds->setTime(now);
    }

    // The stations at zero offset and the noise, made once per rate.
    void prepare() {
        if (preparedRate_ == rate_) return;
        preparedRate_ = rate_;
        orv::testband::Band band;
        band.sampleRate = rate_;
        band.seconds = loopSeconds;
        band.noise = true;
        const std::vector<std::complex<double>> noise = orv::testband::makeBand(band, {});
        noise_.assign(noise.begin(), noise.end());
        // 57 kHz on three times the pilot's phase: 57 / 1024 of a cycle a sample at 1.024 MS/s, exact in 32 bits.
        subcarrierStep_ = uint64_t(std::llround(3.0 * 19000.0 / rate_ * twoTo32));
        subcarrierStart_ = uint32_t(std::llround(std::fmod(3.0 * pilotPhase / (2.0 * pi), 1.0) * twoTo32));
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

    // The stations within reach of the centre, each mixed to its offset, their RDS from the start.
    std::unique_ptr<Tuning> tuningFor(double centre) const {
        auto tuning = std::make_unique<Tuning>();
        for (size_t s = 0; s < stations_.size(); ++s) {
            const auto& [hz, samples] = stations_[s];
            const double offset = hz - centre;
            if (std::fabs(offset) > reach * rate_) continue;
            Playing station;
            station.loop.resize(samples.size());
            for (size_t i = 0; i < samples.size(); ++i) {
                double cycles = offset * double(i) / rate_;
                cycles -= std::floor(cycles);
                station.loop[i] = std::complex<float>(samples[i] * std::polar(1.0, 2.0 * pi * cycles));
            }
            const orv::synth::RdsProgramme rds = orv::synth::bandRds(s);
            if (rds.on) {
                station.rds = std::make_unique<orv::synth::RdsWaveform>(rds);
                station.rds->setTime(orv::synth::rdsTimeNow());
                station.radiansPerUnit = float(2.0 * pi * rds.deviationHz / rate_);
                station.step = float(orv::synth::rdsGridRate / rate_);
            }
            tuning->stations.push_back(std::move(station));
        }
        return tuning;
    }

    std::mutex mutex_;
    double rate_ = 1024000.0, preparedRate_ = 0.0, centre_ = 100e6;
    std::vector<std::complex<float>> noise_;
    std::vector<std::pair<double, std::vector<std::complex<double>>>> stations_;
    std::unique_ptr<Tuning> current_, stale_;
    uint64_t subcarrierStep_ = 0;
    uint32_t subcarrierStart_ = 0;
    std::time_t clockSet_ = 0;
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
