#include "platform/sdl2/remote_protocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace orv::remote {

namespace {

constexpr uint32_t largestNumber = 0xFFFF;
constexpr size_t longestNumber = 5;  // "65535"
const char* const socketName = "orvanta.sock";

struct Word {
    const char* verb;
    const char* value;
    Kind kind;
    uint32_t wParam;
};

// The fixed words; the station number is parsed on its own.
constexpr Word words[] = {
    {"volume", "up", Kind::SetVolume, 0},  // 0 steps up, anything else down
    {"volume", "down", Kind::SetVolume, 1},
    {"mute", "on", Kind::Mute, 1},
    {"mute", "off", Kind::Mute, 0},
    {"seek", "up", Kind::Seek, 0},
    {"seek", "down", Kind::Seek, 1},
    {"preset", "next", Kind::PresetStep, 0},
    {"preset", "prev", Kind::PresetStep, 1},
    {"status", "json", Kind::AskStatus, 1},
};

// Verbs that stand alone.
struct Single {
    const char* verb;
    Kind kind;
};
constexpr Single singles[] = {{"show", Kind::Show}, {"quit", Kind::Quit}, {"status", Kind::AskStatus}};

const char* const names[kindCount] = {"TQ_SETSTATION", "TQ_SETVOLUME", "TQ_MUTE", "", "", "", "", "", "", "", "", ""};
constexpr size_t longestMegahertz = 4;  // "4294"
constexpr size_t mostDecimals = 6;      // down to 1 Hz
constexpr uint64_t hertzPerMegahertz = 1000000;

bool parseStationNumber(const std::string& digits, uint32_t& out) {
    if (digits.empty() || digits.size() > longestNumber) return false;
    uint32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + uint32_t(c - '0');
    }
    if (n > largestNumber) return false;
    out = n;
    return true;
}

}  // namespace

bool parseMegahertz(const std::string& text, uint32_t& hertz) {
    const size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string decimals = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() || whole.size() > longestMegahertz || decimals.size() > mostDecimals) return false;
    if (point != std::string::npos && decimals.empty()) return false;
    uint64_t value = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + uint64_t(c - '0');
    }
    value *= hertzPerMegahertz;
    uint64_t scale = hertzPerMegahertz;
    for (char c : decimals) {
        if (c < '0' || c > '9') return false;
        scale /= 10;
        value += uint64_t(c - '0') * scale;
    }
    if (value > UINT32_MAX) return false;
    hertz = uint32_t(value);
    return true;
}

const char* messageName(Kind kind) { return names[int(kind)]; }

bool parseLine(const std::string& raw, Command& out) {
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > lineMax) return false;
    for (const Single& single : singles) {
        if (line == single.verb) {
            out = Command{single.kind, 0};
            return true;
        }
    }
    const size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    const std::string verb = line.substr(0, space), value = line.substr(space + 1);
    if (verb == "station") {
        uint32_t n = 0;
        if (!parseStationNumber(value, n)) return false;
        out = Command{Kind::SetStation, n};
        return true;
    }
    if (verb == "tune") {
        uint32_t hertz = 0;
        if (!parseMegahertz(value, hertz)) return false;
        out = Command{Kind::Tune, hertz};
        return true;
    }
    for (const Word& w : words) {
        if (verb == w.verb && value == w.value) {
            out = Command{w.kind, w.wParam};
            return true;
        }
    }
    return false;
}

bool lineFor(const char* verb, const char* value, std::string& line) {
    if (!value) {
        for (const Single& single : singles) {
            if (std::strcmp(verb, single.verb) == 0) {
                line = std::string(verb) + "\n";
                return true;
            }
        }
        return false;
    }
    if (std::strcmp(verb, "station") == 0) {
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(value, &end, 10);
        if (*value == '\0' || *end != '\0' || errno != 0 || n < 0 || n > long(largestNumber)) return false;
        line = "station " + std::to_string(n) + "\n";
        return true;
    }
    if (std::strcmp(verb, "tune") == 0) {
        uint32_t hertz = 0;
        if (!parseMegahertz(value, hertz)) return false;
        line = std::string("tune ") + value + "\n";
        return true;
    }
    if (std::strcmp(verb, "status") == 0 && std::strcmp(value, "--json") == 0) {
        line = "status json\n";
        return true;
    }
    for (const Word& w : words) {
        if (w.kind == Kind::AskStatus) continue;  // written "--json" on the command line
        if (std::strcmp(verb, w.verb) == 0 && std::strcmp(value, w.value) == 0) {
            line = std::string(verb) + " " + value + "\n";
            return true;
        }
    }
    return false;
}

std::string socketPath(const char* runtimeDir, unsigned uid) {
    if (runtimeDir && runtimeDir[0] == '/') {
        std::string dir = runtimeDir;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        return (dir == "/" ? "" : dir) + "/" + socketName;
    }
    return "/tmp/orvanta-" + std::to_string(uid) + "/" + socketName;
}

std::string socketFolder(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

bool securePrivateFolder(const std::string& folder, unsigned uid, bool create) {
    if (create && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 077) == 0;
}

std::string chooseSocketPath(const char* runtimeDir, unsigned uid, bool create) {
    const std::string preferred = socketPath(runtimeDir, uid);
    const std::string fallback = socketPath(nullptr, uid);
    if (preferred != fallback && securePrivateFolder(socketFolder(preferred), uid, false)) return preferred;
    if (securePrivateFolder(socketFolder(fallback), uid, create)) return fallback;
    return "";
}

}  // namespace orv::remote
