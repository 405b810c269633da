#include "platform/soapy/soapy_source.h"

#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>

#include <exception>

namespace orv::soapy {

namespace {

constexpr long readTimeoutUs = 100000;
const char* const labelSeparator = " :: ";  // drivers append the serial number so

std::string shortLabel(const SoapySDR::Kwargs& found) {
    const auto it = found.find("label");
    if (it == found.end()) return "";
    const size_t cut = it->second.find(labelSeparator);
    return cut == std::string::npos ? it->second : it->second.substr(0, cut);
}

}  // namespace

SoapySource::SoapySource(const linuxcard::SdrSettings& settings) : settings_(settings) {}

SoapySource::~SoapySource() { close(); }

bool SoapySource::open(std::string& whyNot) {
    close();
    if (linuxcard::driverOf(settings_.args).empty()) {
        whyNot = linuxcard::noSdrMessage(settings_.args);
        return false;
    }
    try {
        const SoapySDR::KwargsList found = SoapySDR::Device::enumerate(settings_.args);
        if (found.empty()) {
            whyNot = linuxcard::noSdrMessage(settings_.args);
            return false;
        }
        label_ = shortLabel(found.front());
        device_ = SoapySDR::Device::make(found.front());
        if (!device_) {
            whyNot = linuxcard::noSdrMessage(settings_.args);
            return false;
        }
        if (configure(whyNot)) return true;
    } catch (const std::exception& e) {
        whyNot = linuxcard::noSdrMessage(settings_.args) + " (" + e.what() + ")";
    }
    close();
    return false;
}

bool SoapySource::configure(std::string& whyNot) {
    device_->setSampleRate(SOAPY_SDR_RX, 0, sdrRate);
    if (device_->hasFrequencyCorrection(SOAPY_SDR_RX, 0))
        device_->setFrequencyCorrection(SOAPY_SDR_RX, 0, settings_.ppm);
    if (settings_.autoGain && device_->hasGainMode(SOAPY_SDR_RX, 0)) {
        device_->setGainMode(SOAPY_SDR_RX, 0, true);
    } else if (!settings_.autoGain) {
        if (device_->hasGainMode(SOAPY_SDR_RX, 0)) device_->setGainMode(SOAPY_SDR_RX, 0, false);
        device_->setGain(SOAPY_SDR_RX, 0, settings_.gainDb);
    }
    // Small transfers keep the delay from antenna to speaker short.
    const SoapySDR::Kwargs streamArgs{{"bufflen", "8192"}};
    stream_ = device_->setupStream(SOAPY_SDR_RX, SOAPY_SDR_CS8, {0}, streamArgs);
    if (!stream_ || device_->activateStream(stream_) != 0) {
        whyNot = "The SDR " + settings_.args + " does not stream";
        return false;
    }
    return true;
}

void SoapySource::close() {
    if (!device_) return;
    try {
        if (stream_) {
            device_->deactivateStream(stream_);
            device_->closeStream(stream_);
        }
        SoapySDR::Device::unmake(device_);
    } catch (const std::exception&) {
        // A device pulled out may fail to close; it is gone either way.
    }
    stream_ = nullptr;
    device_ = nullptr;
}

bool SoapySource::tune(double hardwareHz) {
    if (!device_) return false;
    try {
        device_->setFrequency(SOAPY_SDR_RX, 0, hardwareHz);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

long SoapySource::read(void* buffer, size_t count) {
    if (!stream_) return -1;
    void* buffers[] = {buffer};
    int flags = 0;
    long long timeNs = 0;
    try {
        const int n = device_->readStream(stream_, buffers, count, flags, timeNs, readTimeoutUs);
        if (n >= 0) return n;
        if (n == SOAPY_SDR_TIMEOUT || n == SOAPY_SDR_OVERFLOW) return 0;
    } catch (const std::exception&) {
    }
    return -1;
}

}  // namespace orv::soapy
