#include "platform/linux/synth_source.h"

#include <thread>

namespace orv::linuxcard {

namespace {
// Further behind than this (the machine was suspended, the thread starved),
// the pace starts afresh instead of catching up in a burst.
constexpr double mostBehindSeconds = 0.25;
}

SynthSource::SynthSource(const std::vector<double>& stationsMHz, double preemphasisSeconds)
    : synth_(synth::simulatedBand(stationsMHz), synthRate, preemphasisSeconds) {}

bool SynthSource::open(std::string&) {
    start_ = std::chrono::steady_clock::now();
    delivered_ = 0;
    return true;
}

bool SynthSource::tune(double hardwareHz) {
    synth_.tune(hardwareHz);
    clockSent_ = 0;
    return true;
}

long SynthSource::read(void* buffer, size_t count) {
    using Seconds = std::chrono::duration<double>;
    const auto due = start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                  Seconds(double(delivered_ + count) / synthRate));
    const auto now = std::chrono::steady_clock::now();
    if (due > now) {
        std::this_thread::sleep_until(due);
    } else if (Seconds(now - due).count() > mostBehindSeconds) {
        start_ = now;
        delivered_ = 0;
    }
    const std::time_t second = std::time(nullptr);
    if (second != clockSent_) {
        clockSent_ = second;
        synth_.setTime(synth::rdsTimeNow());
    }
    synth_.generate(static_cast<int8_t*>(buffer), count);
    delivered_ += count;
    return long(count);
}

}  // namespace orv::linuxcard
