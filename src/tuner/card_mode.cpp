#include "tuner/card_mode.h"

#include <cctype>

namespace orv {

namespace {

constexpr size_t modeChars = 16;

struct ModeName {
    CardMode mode;
    const char* name;
};
constexpr ModeName modeNames[] = {
    {CardMode::Auto, "auto"},
    {CardMode::Simulated, "simulated"},
    {CardMode::Port, "port"},
    {CardMode::V4l2, "v4l2"},
};

// The value without surrounding blanks, in lower case.
std::string normalised(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    std::string out = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

CardMode readCardMode(Profile& profile) {
    const std::string mode = normalised(profile.readText("Card", "MODE", "", modeChars));
    if (mode.empty()) {
        const std::string older = normalised(profile.readText("Simulator", "MODE", "", modeChars));
        return older == "simulated" ? CardMode::Simulated : CardMode::Auto;
    }
    for (const ModeName& m : modeNames)
        if (mode == m.name) return m.mode;
    return CardMode::Auto;
}

}  // namespace orv
