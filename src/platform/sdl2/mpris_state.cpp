#include "platform/sdl2/mpris_state.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <climits>
#include <cstdlib>

#include "audio/gain.h"

namespace orv::mpris {

namespace {

constexpr const char* presetTrackPrefix = "/org/orvanta/Orvanta/preset/";
constexpr const char* titleUnit = " MHz";
constexpr const char* nameSeparator = " \xC2\xB7 ";  // " · "
constexpr const char* presetAlbumPrefix = "Preset ";
constexpr const char* playing = "Playing";
constexpr const char* paused = "Paused";
constexpr const char* replacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr double decibelsPerDecade = 20.0;

// Where the icon may be, relative to the data folder: installed, then the build tree.
constexpr const char* iconPlaces[] = {
    "../icons/hicolor/256x256/apps/org.orvanta.Orvanta.png",
    "icons/256x256/org.orvanta.Orvanta.png",
};

// s without the spaces a station pads its name with.
std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A code point the bus takes in a string (NUL aside): no UTF-16 surrogate, no noncharacter.
bool busCodePoint(uint32_t c) {
    return c < 0x110000 && (c & 0xFFFFF800) != 0xD800 && !(c >= 0xFDD0 && c <= 0xFDEF) &&
           (c & 0xFFFE) != 0xFFFE;
}

bool isFile(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

}  // namespace

std::string presetTrackId(int preset) { return presetTrackPrefix + std::to_string(preset); }

PlayerState playerState(const PanelStatus& status, bool canQuit, const std::string& artUrl) {
    PlayerState state;
    state.playbackStatus = status.muted ? paused : playing;
    Metadata& m = state.metadata;
    m.trackId = status.presetTuned ? presetTrackId(status.preset) : noTrack;
    m.title = status.frequency + titleUnit;
    const std::string name = trimmed(validUtf8(status.station.name));
    if (!name.empty()) m.title += nameSeparator + name;
    const std::string text = trimmed(validUtf8(status.station.text));
    if (!text.empty()) m.artists.push_back(text);
    if (status.presetTuned) m.album = presetAlbumPrefix + std::to_string(status.preset);
    m.artUrl = artUrl;
    state.volume = status.levelKnown ? volumeForLevel(status.levelDb) : fullVolume;
    state.canQuit = canQuit;
    return state;
}

double volumeForLevel(int levelDb) { return std::pow(10.0, levelDb / decibelsPerDecade); }

bool levelForVolume(double volume, int& levelDb) {
    if (std::isnan(volume)) return false;
    if (volume <= 0) {
        levelDb = audio::lowestLevelDb;
        return true;
    }
    double db = decibelsPerDecade * std::log10(volume);
    db = std::fmax(audio::lowestLevelDb, std::fmin(audio::highestLevelDb, db));
    levelDb = int(std::lround(db / audio::levelStepDb)) * audio::levelStepDb;
    return true;
}

Changes changes(const PlayerState& a, const PlayerState& b) {
    Changes c;
    const Metadata &x = a.metadata, &y = b.metadata;
    if (a.playbackStatus != b.playbackStatus) c.player.push_back("PlaybackStatus");
    if (x.trackId != y.trackId || x.title != y.title || x.artists != y.artists || x.album != y.album ||
        x.artUrl != y.artUrl)
        c.player.push_back("Metadata");
    if (a.volume != b.volume) c.player.push_back("Volume");
    if (a.canQuit != b.canQuit) c.root.push_back("CanQuit");
    return c;
}

std::string fileUrl(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            url += char(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 0xF];
        }
    }
    return url;
}

std::string validUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        uint32_t code = 0;
        size_t length = utf8SequenceAt(s, i, code);
        if (length == 0) {
            out += replacement;
            length = 1;
        } else if (code == 0) {
            // dropped: a string on the bus ends at a NUL
        } else if (!busCodePoint(code)) {
            out += replacement;
        } else {
            out.append(s, i, length);
        }
        i += length;
    }
    return out;
}

std::string iconPath(const std::string& dataFolder) {
    for (const char* place : iconPlaces) {
        const std::string path = dataFolder + "/" + place;
        if (!isFile(path)) continue;
        char resolved[PATH_MAX];
        return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    }
    return "";
}

}  // namespace orv::mpris
