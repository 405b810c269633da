// The keys of section "Card" that a software-defined radio reads: which
// device (SoapySDR arguments), its frequency correction and gain, the
// de-emphasis and stereo or mono.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace orv::linuxcard {

constexpr const char* defaultSdrArgs = "driver=rtlsdr";

struct SdrSettings {
    std::string args = defaultSdrArgs;  // SDR
    double ppm = 0.0;                   // PPM
    bool autoGain = true;               // GAIN=auto
    double gainDb = 0.0;                // GAIN in dB when not auto
    double deemphasisSeconds = 50e-6;   // DEEMPHASIS: auto, 50 or 75
    bool stereo = true;                 // STEREO: auto or mono
    uint16_t threshold = 16384;         // THRESHOLD, 0..65535
};

// The locale's territory (LC_ALL, else LC_MESSAGES, else LANG; "en_US.UTF-8"
// gives "US") in upper case; empty when none is named.
std::string localeTerritory(const char* lcAll, const char* lcMessages, const char* lang);
// 75 us in the Americas and South Korea, 50 us elsewhere (and where no territory is named).
double deemphasisForTerritory(const std::string& territory);

// Reads the keys; territory is the locale's, for DEEMPHASIS=auto.
SdrSettings readSdrSettings(Profile& profile, const std::string& territory);

// The value of the "driver" key in SoapySDR arguments ("driver=rtlsdr,serial=1"
// gives "rtlsdr"); empty when the arguments name no driver.
std::string driverOf(const std::string& args);

// What the user reads when no device answers to args.
std::string noSdrMessage(const std::string& args);

}  // namespace orv::linuxcard
