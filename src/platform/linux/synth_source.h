// The simulated card's band as an IQ source: the synthesizer, handed over
// at the pace a real radio would deliver it, its stations' RDS clock on
// this machine's time.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

#include "platform/linux/iq_source.h"
#include "synth/band_synth.h"

namespace orv::linuxcard {

// The synthesizer runs at 1.024 MS/s, half the work of 2.048.
constexpr double synthRate = 1024000.0;

class SynthSource : public IqSource {
public:
    SynthSource(const std::vector<double>& stationsMHz, double preemphasisSeconds);
    bool open(std::string& whyNot) override;
    void close() override {}
    std::string label() const override { return "simulated band"; }
    bool tune(double hardwareHz) override;
    long read(void* buffer, size_t count) override;
    receiver::IqFormat format() const override { return receiver::IqFormat::CS8; }
    double sampleRate() const override { return synthRate; }

private:
    synth::BandSynthesizer synth_;
    std::chrono::steady_clock::time_point start_;
    uint64_t delivered_ = 0;
    std::time_t clockSent_ = 0;  // the second the stations' clock was last set to
};

}  // namespace orv::linuxcard
