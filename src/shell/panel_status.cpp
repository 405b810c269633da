#include "shell/panel_status.h"

#include <cstdio>

#include "tuner/frequency.h"

namespace orv {

namespace {

constexpr const char* styleNames[] = {"full", "compact", "mini"};

std::string frequencyText(const FrequencyDigits& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%03d", d.whole, d.thousandths);
    return text;
}

std::string clockText(int hour, int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", hour % 100, minute % 100);
    return text;
}

std::string piText(int pi) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", unsigned(pi) & 0xFFFFu);
    return text;
}

const char* yesNo(bool b) { return b ? "yes" : "no"; }

}  // namespace

size_t utf8SequenceAt(const std::string& s, size_t i, uint32_t& code) {
    const unsigned char lead = (unsigned char)s[i];
    size_t extra;
    uint32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i <= extra) return 0;
    for (size_t k = 1; k <= extra; ++k) {
        const unsigned char c = (unsigned char)s[i + k];
        if ((c & 0xC0) != 0x80) return 0;
        code = (code << 6) | (c & 0x3F);
    }
    return code < least ? 0 : extra + 1;  // an overlong form is no sequence
}

const char* styleName(int style) {
    return style >= styleFull && style <= styleMini ? styleNames[style] : "full";
}

PanelStatus panelStatus(const App& app) {
    const ReceiverState& s = app.state;
    PanelStatus status;
    const FrequencyDigits tuned = frequencyDigits(s.frequency);
    status.frequency = frequencyText(tuned);
    status.frequencyKHz = shownKiloHertz(tuned);
    status.preset = s.presetIndex;
    if (s.presetIndex >= 1 && s.presetIndex <= presetCount) {
        const float stored = s.presetTable[s.presetIndex - 1];
        status.presetTuned = stored > 0.0f && double(stored) < frequencyDigitsLimit &&
                             shownKiloHertz(frequencyDigits(stored)) == status.frequencyKHz;
    }
    status.muted = (s.modeFlags & MF_MUTED) != 0;
    status.signal = (s.modeFlags & MF_SIGNAL) != 0;
    status.style = s.panelStyle;
    status.slumberOn = (s.modeFlags & MF_SLUMBER_ON) != 0;
    status.slumberMinutes = status.slumberOn ? s.slumberRemaining : 0;
    status.alarmOn = (s.modeFlags & MF_ALARM_ON) != 0;
    status.alarmHour = s.alarmHour;
    status.alarmMinute = s.alarmMinute;
    status.lowestMHz = s.minFrequency;
    status.highestMHz = upperBandEdge;
    return status;
}

std::vector<StatusField> statusFields(const PanelStatus& st) {
    using Kind = StatusField::Kind;
    std::vector<StatusField> fields = {
        {"frequency", st.frequency, Kind::Number},
        {"preset", std::to_string(st.preset), Kind::Number},
        {"muted", yesNo(st.muted), Kind::YesNo},
        {"signal", yesNo(st.signal), Kind::YesNo},
        {"style", styleName(st.style), Kind::Text},
    };
    if (!st.card.empty()) fields.push_back({"card", st.card, Kind::Text});
    if (st.slumberOn) fields.push_back({"slumber", std::to_string(st.slumberMinutes), Kind::Number});
    if (st.alarmOn) fields.push_back({"alarm", clockText(st.alarmHour, st.alarmMinute), Kind::Text});
    if (st.levelKnown) fields.push_back({"level", std::to_string(st.levelDb), Kind::Number});
    const StationInfo& info = st.station;
    if (!info.name.empty()) fields.push_back({"station", info.name, Kind::Text});
    if (!info.text.empty()) fields.push_back({"text", info.text, Kind::Text});
    if (info.pi >= 0) fields.push_back({"pi", piText(info.pi), Kind::Text});
    if (!info.pty.empty()) fields.push_back({"pty", info.pty, Kind::Text});
    if (info.flagsKnown) {
        fields.push_back({"tp", yesNo(info.tp), Kind::YesNo});
        fields.push_back({"ta", yesNo(info.ta), Kind::YesNo});
    }
    if (!info.clock.empty()) fields.push_back({"clock", info.clock, Kind::Text});
    return fields;
}

namespace {
// The text on one line: line ends become spaces.
std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) out += (c == '\n' || c == '\r') ? ' ' : c;
    return out;
}
}  // namespace

std::vector<std::string> stationNews(const StationInfo& was, const StationInfo& now) {
    std::vector<std::string> news;
    if (!now.name.empty() && now.name != was.name) news.push_back("station: " + oneLine(now.name));
    if (!now.text.empty() && now.text != was.text) news.push_back("text: " + oneLine(now.text));
    return news;
}

std::string statusLines(const PanelStatus& status) {
    std::string out;
    for (const StatusField& f : statusFields(status)) {
        out += f.key;
        out += ": ";
        out += oneLine(f.value);  // a value never breaks its line
        out += '\n';
    }
    return out;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    constexpr uint32_t lastCodePoint = 0x10FFFF, surrogateMask = 0xFFFFF800, surrogates = 0xD800;
    for (size_t i = 0; i < s.size();) {
        uint32_t code = 0;
        size_t length = utf8SequenceAt(s, i, code);
        if (length == 0 || code > lastCodePoint || (code & surrogateMask) == surrogates) {
            length = length == 0 ? 1 : length;
            out += "\xEF\xBF\xBD";
        } else if (code == '"' || code == '\\') {
            out += '\\';
            out += char(code);
        } else if (code < 0x20 || code == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(code));
            out += escape;
        } else {
            out.append(s, i, length);
        }
        i += length;
    }
    out += '"';
    return out;
}

std::string statusJson(const PanelStatus& status) {
    std::string out = "{";
    bool first = true;
    for (const StatusField& f : statusFields(status)) {
        if (!first) out += ", ";
        first = false;
        out += jsonString(f.key);
        out += ": ";
        switch (f.kind) {
        case StatusField::Kind::Number: out += f.value; break;
        case StatusField::Kind::YesNo: out += f.value == "yes" ? "true" : "false"; break;
        case StatusField::Kind::Text: out += jsonString(f.value); break;
        }
    }
    out += "}\n";
    return out;
}

}  // namespace orv
