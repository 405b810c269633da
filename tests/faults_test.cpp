// Faults from outside, each with the real settings store and the simulated
// card: a settings file that cannot be written, settings files of garbage,
// two panels on one settings file, a card with no stations, and a trace file
// that cannot be opened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "panel_fixture.h"
#include "settings/profile_store.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "tuner/simulated_card.h"
#include "tuner/tuner.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

constexpr int storePlateX = 150, storePlateY = 60;
constexpr int seekUpX = 340, rowY = 90;
constexpr int muteX = 185;
constexpr int leftHandleX = 5, leftHandleY = 60;

// A panel on a settings file of the test's choosing, with its own card.
struct Panel {
    Headless h;
    App app{h.platform};
    SimulatedCard card;
    Panel(const std::string& settingsPath, SimulatorConfig config = SimulatorConfig())
        : h(settingsPath), card(std::move(config)) {
        h.window.app = &app;
        h.window.modulePathValue = test::kModulePath;
        h.files.memory[test::kSkinPath] = test::coordinateSkinFile();
        h.port.attached = &card;
        runPanel(app, 1);
    }
    ReceiverState& s() { return app.state; }
    void click(int x, int y) {
        h.window.cursor = Point{x, y};
        onLeftDown(app, x, y);
        onLeftUp(app);
    }
    // Stores the tuned frequency into preset n (the store plate, then the preset).
    void storeInto(int n) {
        click(storePlateX, storePlateY);
        remoteSetStation(app, uint32_t(n));
    }
    void closeWith(BoxAnswer answer) {
        h.dialogs.answers.assign(1, answer);
        onClose(app);
    }
};

class Faults : public ::testing::Test {
protected:
    Faults()
        : dir(fs::path(::testing::TempDir()) /
              (std::string("faults-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
               std::to_string(getpid()))),
          settings((dir / "orvanta.ini").string()) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Faults() override {
        std::error_code ignored;
        fs::permissions(settings, fs::perms::owner_all, ignored);
        fs::remove_all(dir, ignored);
    }

    void put(const std::string& content) {
        std::ofstream out(settings, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string content() const {
        std::ifstream in(settings, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string read(const char* section, const char* key) {
        return ProfileStore(settings).readText(section, key, "<none>", 64);
    }
    // Every file in the test's folder, by name.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static void startMorphAndFinish(Panel& p) {
        p.click(leftHandleX, leftHandleY);  // full to compact
        for (int i = 0; i < 400 && p.s().morphState != 0; ++i) onTimer(p.app, clockTimer);
    }

    fs::path dir;
    std::string settings;
};

// The remote message that selects preset n.
void remoteSetStationOn(Panel& p, int n) { remoteSetStation(p.app, uint32_t(n)); }

}  // namespace

TEST_F(Faults, ReadOnlySettingsFileKeepsThePanelWorkingAndTheFileUntouched) {
    const std::string original =
        "; my settings\r\n[RadioStation]\r\nSTATION=3\r\nStation3=94.800003\r\nStation12=106.900002\r\n"
        "[SYSTEM]\r\nSTYLE=0\r\n[Mine]\r\nkeep=this line\r\n";
    put(original);
    fs::permissions(settings, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    Panel p(settings);
    EXPECT_EQ(p.s().presetIndex, 3);
    EXPECT_FLOAT_EQ(p.s().frequency, 94.8f);
    EXPECT_EQ(p.card.tunedDivider(), dividerFor(94.8f));

    p.s().frequency = 101.3f;
    p.click(storePlateX, storePlateY);
    remoteSetStationOn(p, 12);
    EXPECT_EQ(p.s().presetIndex, 12);
    EXPECT_FLOAT_EQ(p.s().presetTable[11], 101.3f);  // the panel keeps what it was told
    EXPECT_EQ(p.card.tunedDivider(), dividerFor(101.3f));
    p.click(muteX, rowY);
    EXPECT_TRUE(p.s().modeFlags & MF_MUTED);
    EXPECT_TRUE(p.card.muted());
    p.click(seekUpX, rowY);
    EXPECT_TRUE(p.s().modeFlags & MF_SEEK_UP);
    p.click(20, 20);
    EXPECT_FALSE(p.s().modeFlags & MF_SEEK_UP);
    p.closeWith(BoxAnswer::Yes);
    EXPECT_FALSE(p.h.window.exists);

    EXPECT_EQ(content(), original);
    EXPECT_EQ(files(), std::vector<std::string>{"orvanta.ini"});  // no temporary file left behind
}

TEST_F(Faults, AFolderInPlaceOfTheSettingsFileGivesDefaultsAndStaysAFolder) {
    fs::create_directories(settings);
    std::ofstream(fs::path(settings) / "inside.txt") << "untouched";

    Panel p(settings);
    EXPECT_EQ(p.s().presetIndex, 1);
    EXPECT_FLOAT_EQ(p.s().frequency, 89.0f);
    p.s().frequency = 98.1f;
    p.storeInto(4);
    EXPECT_EQ(p.s().presetIndex, 4);
    EXPECT_EQ(p.card.tunedDivider(), dividerFor(98.1f));
    startMorphAndFinish(p);
    EXPECT_EQ(p.s().panelStyle, styleCompact);
    p.closeWith(BoxAnswer::No);
    EXPECT_TRUE(p.card.muted());

    EXPECT_TRUE(fs::is_directory(settings));
    EXPECT_EQ(files(), std::vector<std::string>{"orvanta.ini"});
    std::ifstream inside(fs::path(settings) / "inside.txt");
    std::string text;
    std::getline(inside, text);
    EXPECT_EQ(text, "untouched");
}

// Garbage files: the panel starts on the defaults, and its first write leaves
// a file that reads back and still holds every byte the user had.
struct GarbageCase {
    const char* name;
    std::string bytes;
};

std::string randomBytes(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::string out(count, '\0');
    for (char& c : out) c = char(random() & 0xFF);
    return out;
}

// About 10 MB: the user's own lines, then long lines of random bytes with no
// line break that could form a section the panel reads.
std::string tenMegabytes() {
    std::string out = "[Mine]\nfirst=1\n";
    std::mt19937 random(10);
    while (out.size() < 10u * 1024 * 1024) {
        std::string line(1000, '\0');
        for (char& c : line) {
            c = char(random() & 0xFF);
            if (c == '\n' || c == '[' || c == '=') c = '.';
        }
        out += line + "\n";
    }
    return out + "[Mine too]\nlast=2";
}

TEST_F(Faults, GarbageSettingsGiveDefaultsAndTheFirstWriteKeepsTheUsersBytes) {
    std::string random = randomBytes(64 * 1024, 7);
    for (char& c : random)
        if (c == '[') c = '(';  // no section header can form, so every key is missing
    const GarbageCase cases[] = {
        {"random bytes", random},
        {"10 MB", tenMegabytes()},
        {"ends inside a section name", "[Mine]\r\nkey=value\r\n[RadioSta"},
        {"ends inside the name of a section the panel reads", "[Mine]\nx=1\n[RadioStation"},
        {"ends inside a section name, no text before", "[Audio"},
        {"only NUL bytes", std::string(4096, '\0')},
    };
    for (const GarbageCase& c : cases) {
        SCOPED_TRACE(c.name);
        put(c.bytes);
        Panel p(settings);
        EXPECT_EQ(p.s().presetIndex, 1);
        EXPECT_FLOAT_EQ(p.s().frequency, 89.0f);
        EXPECT_FLOAT_EQ(p.s().minFrequency, 87.0f);
        EXPECT_EQ(p.s().panelStyle, styleFull);
        EXPECT_FALSE(p.s().modeFlags & MF_MUTED);
        EXPECT_EQ(p.s().portAddress, 0x30Cu);
        EXPECT_EQ(p.card.tunedDivider(), dividerFor(89.0f));

        remoteSetStationOn(p, 7);  // the first write: "STATION"
        const std::string after = content();
        ASSERT_GE(after.size(), c.bytes.size());
        EXPECT_TRUE(after.compare(0, c.bytes.size(), c.bytes) == 0) << "the user's bytes changed";
        EXPECT_EQ(read("RadioStation", "STATION"), "7");
        p.s().frequency = 104.6f;
        p.storeInto(9);
        EXPECT_EQ(read("RadioStation", "STATION9"), "104.599998");
        EXPECT_EQ(read("RadioStation", "STATION"), "9");
        EXPECT_TRUE(content().compare(0, c.bytes.size(), c.bytes) == 0);
    }
}

TEST_F(Faults, TwoPanelsWritingInTurnsLoseNoKey) {
    put("[Mine]\nkeep=1\n");
    Panel a(settings);
    Panel b(settings);
    a.s().frequency = 101.3f;
    a.storeInto(12);
    b.s().frequency = 94.8f;
    b.storeInto(13);
    a.click(muteX, rowY);  // MUTE=1
    b.s().frequency = 106.9f;
    b.storeInto(1);
    a.s().frequency = 87.6f;
    a.storeInto(99);
    startMorphAndFinish(b);  // STYLE=1
    a.closeWith(BoxAnswer::Yes);  // the slumber, alarm and position record
    b.s().windowX = 321;
    b.s().windowY = 45;
    b.closeWith(BoxAnswer::No);

    EXPECT_EQ(read("RadioStation", "STATION12"), "101.300003");
    EXPECT_EQ(read("RadioStation", "STATION13"), "94.800003");
    EXPECT_EQ(read("RadioStation", "STATION99"), "87.599998");
    EXPECT_EQ(read("RadioStation", "STATION1"), "106.900002");
    EXPECT_EQ(read("RadioStation", "STATION"), "99");
    EXPECT_EQ(read("AudioSettings", "MUTE"), "1");
    EXPECT_EQ(read("SYSTEM", "STYLE"), "1");
    EXPECT_EQ(read("AudioSettings", "ALARM"), "0");
    EXPECT_EQ(read("Position", "X"), "321");
    EXPECT_EQ(read("Position", "Y"), "45");
    EXPECT_EQ(read("Mine", "keep"), "1");

    // Every line is whole: a section, or a key with its value.
    std::istringstream lines(content());
    std::string line;
    int keys = 0;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;  // the blank line before a new section
        if (line.front() == '[') {
            EXPECT_EQ(line.back(), ']') << line;
        } else {
            EXPECT_NE(line.find('='), std::string::npos) << line;
            ++keys;
        }
    }
    EXPECT_EQ(keys, 12);  // keep, 4 presets, STATION, MUTE, STYLE, SLUMBER, ALARM, X, Y: none twice
    Panel again(settings);
    const ReceiverState& next = again.s();
    EXPECT_EQ(next.presetIndex, 99);
    EXPECT_FLOAT_EQ(next.presetTable[11], 101.3f);
    EXPECT_FLOAT_EQ(next.presetTable[12], 94.8f);
    EXPECT_TRUE(next.modeFlags & MF_MUTED);
    EXPECT_EQ(next.panelStyle, styleCompact);
}

TEST_F(Faults, CardWithoutStationsSeeksUntilAPressStopsIt) {
    SimulatorConfig none;
    none.stationsMHz.clear();
    Panel p(settings, none);
    const int before = p.card.transfers();
    p.click(seekUpX, rowY);
    ASSERT_TRUE(p.s().modeFlags & MF_SEEK_UP);
    EXPECT_EQ(p.h.window.timers[clockTimer], seekPeriodMs);
    // Two full turns round the band: the seek wraps and goes on.
    const int steps = 2 * 841;
    float lowest = 200, highest = 0;
    for (int i = 0; i < steps; ++i) {
        onTimer(p.app, clockTimer);
        lowest = std::min(lowest, p.s().frequency);
        highest = std::max(highest, p.s().frequency);
    }
    EXPECT_TRUE(p.s().modeFlags & MF_SEEK_UP);
    EXPECT_FALSE(p.s().modeFlags & MF_SIGNAL);
    EXPECT_EQ(p.h.window.timers[clockTimer], seekPeriodMs);
    EXPECT_GE(lowest, 87.0f);
    EXPECT_LT(lowest, 87.05f);
    EXPECT_LE(highest, 108.0f);
    EXPECT_GT(highest, 107.95f);
    EXPECT_EQ(p.card.transfers() - before, steps + 1);

    p.click(200, 20);  // a press anywhere on the panel
    EXPECT_FALSE(p.s().modeFlags & (MF_SEEK_UP | MF_SEEK_DOWN));
    EXPECT_EQ(p.h.window.timers[clockTimer], clockPeriodMs);
    const float stopped = p.s().frequency;
    onTimer(p.app, clockTimer);
    EXPECT_FLOAT_EQ(p.s().frequency, stopped);
    EXPECT_EQ(p.card.tunedDivider(), dividerFor(stopped));
}

TEST_F(Faults, TraceFileThatCannotBeOpenedLeavesThePanelWithoutATrace) {
    fs::create_directories(dir / "a folder");
    const std::string unopenable[] = {(dir / "no such folder" / "trace.txt").string(), (dir / "a folder").string()};
    for (const std::string& path : unopenable) {
        SCOPED_TRACE(path);
        ProfileStore(settings).writeString("Simulator", "TRACE", path.c_str());
        SimulatorConfig config = readSimulatorConfig(*std::make_unique<ProfileStore>(settings));
        EXPECT_EQ(config.tracePath, path);
        Panel p(settings, config);
        EXPECT_EQ(p.card.transfers(), 1);  // the first tuning
        p.s().frequency = 98.1f;
        p.storeInto(2);
        p.click(muteX, rowY);
        EXPECT_EQ(p.card.tunedDivider(), dividerFor(98.1f));
        EXPECT_EQ(p.card.muted(), bool(p.s().modeFlags & MF_MUTED));
        EXPECT_EQ(p.card.transfers(), 3);
        p.closeWith(BoxAnswer::Yes);
        EXPECT_FALSE(p.card.muted());
    }
    EXPECT_FALSE(fs::exists(dir / "no such folder"));
    EXPECT_TRUE(fs::is_empty(dir / "a folder"));
}

}  // namespace orv
