// What the desktop's media player controls (MPRIS 2 on the session bus) are
// told about the panel, worked out from its status: no bus in here, so that
// the mapping can be tested on its own.
#pragma once

#include <string>
#include <vector>

#include "shell/panel_status.h"

namespace orv::mpris {

// The track of a frequency that is no preset's.
constexpr const char* noTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
// The volume of a sound path without a level of ours.
constexpr double fullVolume = 1.0;

struct Metadata {
    std::string trackId;               // an object path: one per preset, else noTrack
    std::string title;                 // "98.100 MHz", "98.100 MHz · NAME"
    std::vector<std::string> artists;  // the radio text, when the station sends one
    std::string album;                 // "Preset 3" while the preset's frequency is tuned; "" none
    std::string artUrl;                // file:// URL of the program's icon; "" none
};

// Every property that changes while the program runs.
struct PlayerState {
    std::string playbackStatus;  // "Playing" or "Paused"
    Metadata metadata;
    double volume = fullVolume;
    bool canQuit = false;
};

// The state for a status. canQuit: the program can play on in the background
// (it makes the sound itself), so that ending it is the desktop's to ask.
PlayerState playerState(const PanelStatus& status, bool canQuit, const std::string& artUrl);

// "/org/orvanta/Orvanta/preset/3".
std::string presetTrackId(int preset);

// 10^(dB/20): 0 dB is 1.0, -60 dB 0.001.
double volumeForLevel(int levelDb);
// The nearest level step (-60..0 dB in steps of 2) to a volume; 0 and below
// is the lowest step, above 1.0 is 0 dB. False for a volume that is no number.
bool levelForVolume(double volume, int& levelDb);

// Which properties differ, by their names on the bus: those of the player
// interface (PlaybackStatus, Metadata, Volume) and of the root one (CanQuit).
struct Changes {
    std::vector<std::string> player;
    std::vector<std::string> root;
    bool any() const { return !player.empty() || !root.empty(); }
};
Changes changes(const PlayerState& before, const PlayerState& after);

// A file URL for an absolute path: bytes other than unreserved ones and "/" percent-encoded.
std::string fileUrl(const std::string& path);

// s as valid UTF-8 for the bus: invalid sequences become U+FFFD, NULs are dropped.
std::string validUtf8(const std::string& s);

// The program's 256 x 256 icon, found from the folder of its data (where
// dataFilePath found text.dat): installed under <prefix>/share/icons/hicolor
// beside <prefix>/share/orvanta, or in the build tree's icons folder beside
// the program. "" when neither file is there.
std::string iconPath(const std::string& dataFolder);

}  // namespace orv::mpris
