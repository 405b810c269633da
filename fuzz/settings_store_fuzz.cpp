// Puts arbitrary bytes into the settings file, then makes the reads and writes
// the panel makes (every section and key it uses, "%d" integers, "%f" preset
// values, key removal) through the portable settings store, and re-reads.
// Aborts when a written value does not read back as written, a removed key
// still reads, or a key that was not written reads differently afterwards
// (a write must not disturb the user's other lines).
//
// An input is:
//   byte 0       number n of operations
//   bytes 1..3   padding: when bytes 2 and 3 are "MB", byte 1 counts 4 KiB
//                blocks (up to about 1 MB) of well-formed lines of a section
//                the panel does not use, put in front of the file, so that a
//                large file costs a small input; any other value, no padding
//   2 n bytes    the operations: a selects the key and the kind, b the value
//   the rest     the file's own bytes
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "settings/profile_store.h"

namespace {

// A key as the panel writes it and as it reads it (another capitalisation).
struct KeyUse {
    const char* section;
    const char* readSection;
    const char* key;  // "%d" in it takes a preset number
    const char* readKey;
};

const KeyUse keyUses[] = {
    {"SYSTEM", "System", "ADDR", "addr"},
    {"SYSTEM", "system", "MIN", "Min"},
    {"SYSTEM", "System", "STYLE", "Style"},
    {"System", "SYSTEM", "Quit", "QUIT"},
    {"RadioStation", "RADIOSTATION", "STATION%d", "Station%d"},
    {"RadioStation", "radiostation", "STATION", "Station"},
    {"AudioSettings", "audiosettings", "MUTE", "Mute"},
    {"AudioSettings", "AUDIOSETTINGS", "SLUMBER", "slumber"},
    {"AudioSettings", "AudioSettings", "ALARM", "alarm"},
    {"AudioSettings", "AudioSettings", "ALARM_HR", "Alarm_Hr"},
    {"AudioSettings", "AudioSettings", "ALARM_MIN", "alarm_min"},
    {"AudioSettings", "AudioSettings", "ALARM_STATION", "Alarm_Station"},
    {"Position", "POSITION", "X", "x"},
    {"Position", "position", "Y", "y"},
    {"Simulator", "SIMULATOR", "MODE", "mode"},
    {"Simulator", "simulator", "STATIONS", "Stations"},
    {"Simulator", "Simulator", "TRACE", "trace"},
};
constexpr size_t keyUseCount = sizeof keyUses / sizeof keyUses[0];

constexpr size_t headerBytes = 4;
constexpr size_t paddingBlock = 4096;
constexpr size_t readAll = 1u << 16;
const char* const absent = "\x01<absent>";

enum class Kind { WriteInt, WriteFloat, Remove, Read };

Kind kindOf(uint8_t a) {
    switch (a >> 5) {
        case 0: case 1: case 2: return Kind::WriteInt;
        case 3: case 4: return Kind::WriteFloat;
        case 5: return Kind::Remove;
        default: return Kind::Read;
    }
}

std::string name(const char* pattern, int preset) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, preset);
    return text;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void check(bool condition, const char* what, const std::string& section, const std::string& key,
           const std::string& got, const std::string& want) {
    if (condition) return;
    std::fprintf(stderr, "settings store fuzz: %s: [%s] %s read \"%s\", expected \"%s\"\n", what, section.c_str(),
                 key.c_str(), got.c_str(), want.c_str());
    std::abort();
}

std::string padding(size_t bytes) {
    static const std::string line = "[Padding]\r\nFILLER=0123456789\r\n; a comment line\r\n";
    std::string out;
    out.reserve(bytes);
    while (out.size() < bytes) out += line;
    out.resize(bytes);
    return out;
}

const std::string& filePath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/orvanta-settings-fuzz-" + std::to_string(getpid()) + ".ini";
    }();
    return path;
}

struct Probe {
    std::string section, readSection, key, readKey;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < headerBytes) return 0;
    const size_t opCount = data[0];
    const size_t pad = (data[2] == 'M' && data[3] == 'B') ? data[1] * paddingBlock : 0;
    const size_t opBytes = std::min(2 * opCount, size - headerBytes);
    const uint8_t* ops = data + headerBytes;
    const uint8_t* file = ops + opBytes;
    const size_t fileBytes = size - headerBytes - opBytes;

    const std::string& path = filePath();
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) std::abort();
        const std::string front = padding(pad);
        std::fwrite(front.data(), 1, front.size(), out);
        if (fileBytes) std::fwrite(file, 1, fileBytes, out);
        std::fclose(out);
    }
    orv::ProfileStore store(path);

    // Every key the operations touch, and what each key read before any write.
    std::vector<Probe> probes;
    for (size_t i = 0; i + 1 < opBytes; i += 2) {
        const KeyUse& use = keyUses[(ops[i] & 0x1F) % keyUseCount];
        const int preset = ops[i + 1] % 99 + 1;
        probes.push_back({use.section, use.readSection, name(use.key, preset), name(use.readKey, preset)});
    }
    // Keys no operation may touch: they must read the same at the end.
    for (const KeyUse& use : keyUses)
        probes.push_back({use.section, use.readSection, name(use.key, 1), name(use.readKey, 1)});
    std::map<std::pair<std::string, std::string>, std::string> before, written;
    for (const Probe& p : probes) {
        const auto id = std::make_pair(lower(p.section), lower(p.key));
        if (!before.count(id)) before[id] = store.readText(p.readSection.c_str(), p.readKey.c_str(), absent, readAll);
    }

    for (size_t i = 0; i + 1 < opBytes; i += 2) {
        const Probe& p = probes[i / 2];
        const auto id = std::make_pair(lower(p.section), lower(p.key));
        const uint8_t b = ops[i + 1];
        char text[48];
        switch (kindOf(ops[i])) {
            case Kind::WriteInt: {
                const int value = int(int8_t(b)) * ((ops[i] & 0x20) ? 1000 : 1);
                std::snprintf(text, sizeof text, "%d", value);
                store.writeString(p.section.c_str(), p.key.c_str(), text);
                written[id] = text;
                check(store.readInt(p.readSection.c_str(), p.readKey.c_str(), -12345) == value, "integer",
                      p.section, p.key, std::to_string(store.readInt(p.section.c_str(), p.key.c_str(), -12345)), text);
                break;
            }
            case Kind::WriteFloat: {
                const float mhz = 87.0f + float(b) * 0.1f;
                std::snprintf(text, sizeof text, "%f", double(mhz));
                store.writeString(p.section.c_str(), p.key.c_str(), text);
                written[id] = text;
                break;
            }
            case Kind::Remove:
                store.writeString(p.section.c_str(), p.key.c_str(), nullptr);
                written[id] = absent;
                break;
            case Kind::Read: {
                const std::string got = store.readText(p.readSection.c_str(), p.readKey.c_str(), absent, readAll);
                const auto w = written.find(id);
                check(got == (w != written.end() ? w->second : before[id]), "read between writes", p.section, p.key,
                      got, w != written.end() ? w->second : before[id]);
                break;
            }
        }
    }

    // The re-read: what was written reads back, in either capitalisation;
    // every other key reads as it did before.
    for (const Probe& p : probes) {
        const auto id = std::make_pair(lower(p.section), lower(p.key));
        const auto w = written.find(id);
        const std::string& want = w != written.end() ? w->second : before[id];
        const std::string got = store.readText(p.readSection.c_str(), p.readKey.c_str(), absent, readAll);
        check(got == want, w != written.end() ? "written value" : "untouched key", p.section, p.key, got, want);
        const std::string again = store.readText(p.section.c_str(), p.key.c_str(), absent, readAll);
        check(again == want, "same key, written spelling", p.section, p.key, again, want);
    }
    std::remove(path.c_str());
    return 0;
}
