// A SoapySDR receiver as an IQ source: the device made from the settings'
// arguments (only when they name a driver, so that no enumeration asks
// every installed module), tuned, corrected, its gain set, read as CS8.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/iq_source.h"
#include "platform/linux/sdr_settings.h"

namespace SoapySDR {
class Device;
class Stream;
}  // namespace SoapySDR

namespace orv::soapy {

// The rate the dongle is run at: 1.024 MS/s holds the 200 kHz channel 256 kHz
// off the centre with room to spare, at half the work of 2.048.
constexpr double sdrRate = 1024000.0;

class SoapySource : public linuxcard::IqSource {
public:
    explicit SoapySource(const linuxcard::SdrSettings& settings);
    ~SoapySource() override;
    bool open(std::string& whyNot) override;
    void close() override;
    std::string label() const override { return label_; }
    bool tune(double hardwareHz) override;
    long read(void* buffer, size_t count) override;
    receiver::IqFormat format() const override { return receiver::IqFormat::CS8; }
    double sampleRate() const override { return sdrRate; }

private:
    bool configure(std::string& whyNot);

    linuxcard::SdrSettings settings_;
    SoapySDR::Device* device_ = nullptr;
    SoapySDR::Stream* stream_ = nullptr;
    std::string label_;
};

}  // namespace orv::soapy
