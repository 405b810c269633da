// The text protocol of the local remote-control socket: one command per line,
// "station N", "volume up|down" or "mute on|off", each standing for one of the
// panel's three remote-control messages and its wParam, and the program's own
// "show" (the panel back after it closed and the radio played on), "quit"
// (ends the program, as the end of the session does), "tune MHZ",
// "seek up|down", "preset next|prev", and "status" or "status json" (the
// panel answers with its status). "tune" is answered "ok" or "error: ...";
// the other commands get no answer. Shared by the panel and orvanta-remote;
// no SDL in here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv::remote {

// The three messages, in the order the panel registers them, then the
// program's own. ToggleMute, SetLevel and SetMute come from the desktop's
// player controls only, never from a line.
enum class Kind {
    SetStation = 0,
    SetVolume = 1,
    Mute = 2,
    Show = 3,
    Quit = 4,
    Tune = 5,        // value: the frequency in Hz, as asked (not yet on the grid)
    Seek = 6,        // value: 0 up, 1 down
    PresetStep = 7,  // value: 0 next, 1 previous
    ToggleMute = 8,
    SetLevel = 9,    // value: the wanted level in dB plus levelOffset
    AskStatus = 10,     // value: 1 for JSON
    SetMute = 11,    // value: 1 mute, 0 sound; as the mute button does (lamp, MUTE setting), unlike TQ_MUTE
};
constexpr int kindCount = 12;
constexpr int levelOffset = 1000;

// The answer to a tune the panel took.
constexpr const char* answerOk = "ok\n";

// "TQ_SETSTATION", "TQ_SETVOLUME", "TQ_MUTE"; "" for show and quit, which are no panel message.
const char* messageName(Kind kind);

struct Command {
    Kind kind = Kind::SetStation;
    uint32_t value = 0;  // the message's wParam
};

// Parses "98.1", "98.125", "108": MHz with at most six decimals, in Hz.
// False for anything else (signs, exponents, more digits, no digits, 4295 MHz and up).
bool parseMegahertz(const std::string& text, uint32_t& hertz);

// Longest line the panel reads, without its line end; longer lines are ignored.
constexpr size_t lineMax = 64;

// Parses one line without its "\n" (a trailing "\r" is allowed). False for
// anything that is not exactly one command; a station number above 65535
// (the width of the message's number) is no command.
bool parseLine(const std::string& line, Command& out);

// The line (with its "\n") for the command-line words verb and value, by the
// rules of the Windows remote: station takes a number 0..65535, volume up or
// down, mute on or off; tune MHz, seek up or down, preset next or prev;
// status takes no value or "--json"; show and quit take no value (null).
// False when they are no command.
bool lineFor(const char* verb, const char* value, std::string& line);

// Where the panel listens: runtimeDir + "/orvanta.sock" when runtimeDir is an
// absolute path, else "/tmp/orvanta-<uid>/orvanta.sock".
std::string socketPath(const char* runtimeDir, unsigned uid);

// The folder of a socket path.
std::string socketFolder(const std::string& path);

// Makes sure folder exists and belongs to uid alone: created with mode 0700
// when missing; an existing one must be a real folder (no link) of uid's
// with no access for others. False otherwise (then nothing listens there).
bool securePrivateFolder(const std::string& folder, unsigned uid, bool create);

// The socket path to use: the runtime folder's when it is set and private to
// uid, else the one in /tmp (its folder created when create is true). ""
// when neither folder is private to uid.
std::string chooseSocketPath(const char* runtimeDir, unsigned uid, bool create);

}  // namespace orv::remote
