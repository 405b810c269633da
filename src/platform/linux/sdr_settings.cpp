#include "platform/linux/sdr_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>

namespace orv::linuxcard {

namespace {

constexpr size_t argsChars = 512;
constexpr size_t valueChars = 32;
constexpr int maxThreshold = 65535;
constexpr double europeSeconds = 50e-6;
constexpr double americaSeconds = 75e-6;

// Territories that broadcast with 75 us: the Americas and South Korea.
const char* const seventyFiveTerritories[] = {
    "AG", "AI", "AR", "AW", "BB", "BL", "BM", "BO", "BQ", "BR", "BS", "BZ", "CA", "CL", "CO", "CR",
    "CU", "CW", "DM", "DO", "EC", "FK", "GD", "GF", "GL", "GP", "GT", "GY", "HN", "HT", "JM", "KN",
    "KY", "LC", "MF", "MQ", "MS", "MX", "NI", "PA", "PE", "PM", "PR", "PY", "SR", "SV", "SX", "TC",
    "TT", "UM", "US", "UY", "VC", "VE", "VG", "VI", "KR",
};

std::string trimmedLower(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    std::string out = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

const char* firstNamed(const char* a, const char* b, const char* c) {
    for (const char* v : {a, b, c})
        if (v && *v) return v;
    return "";
}

double readDeemphasis(Profile& profile, const std::string& territory) {
    const std::string value = trimmedLower(profile.readText("Card", "DEEMPHASIS", "auto", valueChars));
    if (value == "50") return europeSeconds;
    if (value == "75") return americaSeconds;
    return deemphasisForTerritory(territory);
}

}  // namespace

std::string localeTerritory(const char* lcAll, const char* lcMessages, const char* lang) {
    const std::string locale = firstNamed(lcAll, lcMessages, lang);
    const size_t underscore = locale.find('_');
    if (underscore == std::string::npos) return "";
    const size_t end = locale.find_first_of(".@", underscore);
    std::string territory = locale.substr(underscore + 1, end == std::string::npos ? std::string::npos : end - underscore - 1);
    for (char& c : territory) c = char(std::toupper(static_cast<unsigned char>(c)));
    return territory;
}

double deemphasisForTerritory(const std::string& territory) {
    for (const char* t : seventyFiveTerritories)
        if (territory == t) return americaSeconds;
    return europeSeconds;
}

SdrSettings readSdrSettings(Profile& profile, const std::string& territory) {
    SdrSettings s;
    const std::string args = profile.readText("Card", "SDR", "", argsChars);
    if (!trimmedLower(args).empty()) s.args = args;
    s.ppm = std::atof(profile.readText("Card", "PPM", "0", valueChars).c_str());
    const std::string gain = trimmedLower(profile.readText("Card", "GAIN", "auto", valueChars));
    s.autoGain = gain.empty() || gain == "auto";
    if (!s.autoGain) s.gainDb = std::atof(gain.c_str());
    s.deemphasisSeconds = readDeemphasis(profile, territory);
    s.stereo = trimmedLower(profile.readText("Card", "STEREO", "auto", valueChars)) != "mono";
    const int threshold = profile.readInt("Card", "THRESHOLD", s.threshold);
    s.threshold = uint16_t(std::clamp(threshold, 0, maxThreshold));
    return s;
}

std::string driverOf(const std::string& args) {
    size_t start = 0;
    while (start <= args.size()) {
        size_t end = args.find(',', start);
        if (end == std::string::npos) end = args.size();
        const std::string item = args.substr(start, end - start);
        const size_t equals = item.find('=');
        if (equals != std::string::npos && trimmedLower(item.substr(0, equals)) == "driver") {
            const std::string value = item.substr(equals + 1);
            const size_t first = value.find_first_not_of(" \t");
            const size_t last = value.find_last_not_of(" \t");
            return first == std::string::npos ? "" : value.substr(first, last - first + 1);
        }
        start = end + 1;
    }
    return "";
}

std::string noSdrMessage(const std::string& args) {
    const std::string driver = driverOf(args);
    if (driver.empty())
        return "No SDR named: " + args + " names no driver (for example SDR=driver=rtlsdr in section Card)";
    return "No SDR answers to " + args + ": is it plugged in, and is its SoapySDR module installed (soapysdr0.8-module-" +
           driver + ")?";
}

}  // namespace orv::linuxcard
