// Where a playing card gets its IQ: a SoapySDR device (soapy_source.h) or
// the simulated band (synth_source.h). Tests hand in fakes. Called from the
// card's reader thread only, apart from open() at start.
#pragma once

#include <cstddef>
#include <string>

#include "receiver/iq_input.h"

namespace orv::linuxcard {

class IqSource {
public:
    virtual ~IqSource() = default;
    // Finds the device and starts its stream; false, with why, when none answers.
    virtual bool open(std::string& whyNot) = 0;
    // Stops the stream and lets the device go (it may have gone already).
    virtual void close() = 0;
    // The device's own name for the user, e.g. "Generic RTL2832U".
    virtual std::string label() const = 0;
    // Tunes the hardware's centre frequency; false when the device is gone.
    virtual bool tune(double hardwareHz) = 0;
    // Reads up to count I,Q pairs into buffer, waiting at most a block's
    // time: the pairs read, 0 when none came in time, -1 when the device is gone.
    virtual long read(void* buffer, size_t count) = 0;
    virtual receiver::IqFormat format() const = 0;
    virtual double sampleRate() const = 0;
};

}  // namespace orv::linuxcard
