// The start-up read of the settings file and its conversion rules.
#include "settings/settings.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "tuner/tuner.h"

namespace orv {

const char* const settingsFile = "orvanta.ini";

namespace {

constexpr const char* sectionSystem = "SYSTEM";
constexpr const char* sectionStations = "RadioStation";
constexpr const char* sectionAudio = "AudioSettings";

constexpr const char* defaultAddress = "30C";
constexpr const char* defaultMinFrequency = "87";
constexpr const char* defaultPreset = "89";
constexpr int defaultStationKey = 160;  // out of range on purpose: selects preset 1
constexpr int firstPreset = 1;

}  // namespace

void readSystemSettings(App& app) {
    Profile& profile = app.platform.profile;
    app.state.portAddress = parseHex(profile.readString(sectionSystem, "ADDR", defaultAddress).c_str());
    app.state.minFrequency = parseFrequency(profile.readString(sectionSystem, "MIN", defaultMinFrequency));
}

void loadSettings(App& app) {
    ReceiverState& s = app.state;
    Profile& profile = app.platform.profile;

    initControlBytes(app);

    for (int n = 1; n <= presetCount; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "Station%d", n);
        s.presetTable[n - 1] = parseFrequency(profile.readString(sectionStations, key, defaultPreset));
    }
    clampPresets(s.presetTable, s.minFrequency);

    int station = profile.readInt(sectionStations, "STATION", defaultStationKey);
    if (station < firstPreset || station > presetCount) station = firstPreset;
    s.presetIndex = station;
    s.frequency = s.presetTable[s.presetIndex - 1];

    if (profile.readInt(sectionAudio, "MUTE", 0) == 1) s.modeFlags |= MF_MUTED;

    const LocalTime now = app.platform.clock.localTime();
    s.alarmHour = now.hour;
    s.alarmMinute = now.minute;

    int style = profile.readInt(sectionSystem, "STYLE", styleFull);
    if (style < styleFull || style > styleMini) style = styleFull;
    s.panelStyle = style;
}

void clampPresets(float (&table)[presetSlots], float minFrequency) {
    for (float& entry : table) {
        if (std::isnan(entry) || entry < minFrequency || entry > upperBandEdge) entry = minFrequency;
    }
}

uint32_t parseHex(const char* text) {
    uint32_t value = 0;
    if (!text) return value;
    for (const char* p = text; *p; ++p) {
        const int c = std::toupper(static_cast<unsigned char>(*p));
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = uint32_t(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = uint32_t(c - 'A' + 10);
        else
            break;
        value = (value << 4) | digit;
    }
    return value;
}

float parseFrequency(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin) return 0.0f;
    // Beyond the float range the narrowing is undefined; such text means infinity.
    if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return float(value);
}

}  // namespace orv
