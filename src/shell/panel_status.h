// What the panel is doing, as other programs are told it: the remote's
// status answer, the desktop's player controls. The core fills what it
// knows; the back end adds what only it knows (the card, the sound level,
// what the station broadcasts about itself).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/receiver_state.h"

namespace orv {

// What a station says about itself over RDS; empty texts are not shown.
struct StationInfo {
    std::string name;       // the programme service name, as sent whole
    std::string text;       // the radio text, UTF-8
    int pi = -1;            // programme identification, -1 when none was read
    std::string pty;        // programme type by name
    bool flagsKnown = false;  // tp and ta were read
    bool tp = false, ta = false;
    std::string clock;      // the station's clock as local time, "2026-12-07 18:40"
};

struct PanelStatus {
    std::string frequency;    // as the readout shows it: "98.100"
    int64_t frequencyKHz = 0;
    int preset = 1;           // the selected preset number, 1..99
    bool presetTuned = false; // the tuned frequency is the selected preset's stored one
    bool muted = false;
    bool signal = false;      // the status line says a station is there
    int style = styleFull;
    bool slumberOn = false;
    int slumberMinutes = 0;   // minutes left while the countdown runs
    bool alarmOn = false;
    int alarmHour = 0, alarmMinute = 0;
    double lowestMHz = 0, highestMHz = 0;  // the band the tuning keys cover
    // Filled by the back end.
    std::string card;         // which card the panel drives
    bool levelKnown = false;  // where the sound path has a level of its own
    int levelDb = 0;          // -60..0
    StationInfo station;
};

// The core's part of the status.
PanelStatus panelStatus(const App& app);

// "full", "compact" or "mini".
const char* styleName(int style);

// One line of the status: key and value, and how JSON writes the value.
struct StatusField {
    enum class Kind { Text, Number, YesNo };
    std::string key;
    std::string value;  // as the key: value line shows it ("yes"/"no" for YesNo)
    Kind kind = Kind::Text;
};

// The status as fields in a stable order. Keys that do not apply (no
// slumber, no level, no station name) are left out.
std::vector<StatusField> statusFields(const PanelStatus& status);
// "key: value" lines, each ended by "\n".
std::string statusLines(const PanelStatus& status);
// One JSON object on one line, ended by "\n": numbers as numbers, yes/no as true/false.
std::string statusJson(const PanelStatus& status);
// What is new about the station since was, for the program's output: a
// "station: NAME" line when a name arrived or changed, a "text: TEXT" line
// when a radio text did (line ends in them become spaces). Nothing for what
// went away or stayed.
std::vector<std::string> stationNews(const StationInfo& was, const StationInfo& now);

// The UTF-8 sequence at s[i]: its length, with its code point in code; 0
// where no valid shortest form starts there.
size_t utf8SequenceAt(const std::string& s, size_t i, uint32_t& code);

// s as a JSON string literal, quotes included; control characters escaped,
// invalid UTF-8 replaced by U+FFFD.
std::string jsonString(const std::string& s);

}  // namespace orv
