// Soak: random events through the headless back end with the simulated card,
// and the panel's invariants checked after every one of them.
//
//   orvanta_soak [--seed N] [--events N]
//   ORVANTA_SOAK_EVENTS=250000 orvanta_soak     (the long run)
//
// Events: presses and releases anywhere (also outside the window), moves,
// every key code 0..255 down and up, timers 1 to 3, the three remote-control
// messages with random values, paints, time passing, and close requests
// answered Cancel, No or Yes. A Yes or No ends the panel; a new one starts on
// the same settings file and the same card. A failure prints the seed, the
// event number and the last events, and exits 1; the same seed replays it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "../panel_fixture.h"
#include "platform/headless/headless.h"
#include "settings/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "tuner/simulated_card.h"
#include "tuner/tuner.h"

namespace orv::soak {

namespace {

constexpr uint32_t knownFlags = MF_SIGNAL | MF_MUTED | MF_SEEK_UP | MF_SEEK_DOWN | MF_ALARM_ON | MF_SLUMBER_ON |
                                MF_SLUMBER_SET | MF_ALARM_SET | MF_STORE;
constexpr size_t recentKept = 40;
constexpr int transferBits = 24;
constexpr int dividerBits = 16;
constexpr double stepsPerMHz = 40.0;
constexpr double intermediateMHz = 10.7;
constexpr long defaultEvents = 20000;

// The window sizes of the styles and of every morph step: the fold between
// full and compact keeps the width 367, the slide between compact and mini
// keeps the height 82 and passes no narrower than 187 columns.
constexpr int narrowestMorphWidth = 187;

bool windowSizeAllowed(int w, int h) {
    if (w == faceWidth && h >= compactHeight && h <= faceHeight) return true;
    return h == compactHeight && w >= narrowestMorphWidth && w <= faceWidth;
}

// One panel from start-up to its window's destruction.
struct PanelRun {
    Headless h;
    App app{h.platform};
    PanelRun(const std::string& settingsPath, Port& card) : h(settingsPath) {
        h.window.app = &app;
        h.window.modulePathValue = test::kModulePath;
        h.files.memory[test::kSkinPath] = test::coordinateSkinFile();
        h.port.attached = &card;
    }
};

// Follows the card's trace file line by line and checks every transfer in it.
class TraceChecker {
public:
    explicit TraceChecker(const std::string& path) : in_(std::fopen(path.c_str(), "rb")) {}
    ~TraceChecker() {
        if (in_) std::fclose(in_);
    }
    TraceChecker(const TraceChecker&) = delete;
    TraceChecker& operator=(const TraceChecker&) = delete;

    // Reads what the card traced since the last call; "" when it is sound.
    std::string follow(float minFrequency) {
        if (!in_) return "the trace file could not be opened";
        char line[64];
        std::clearerr(in_);
        while (std::fgets(line, sizeof line, in_)) {
            unsigned a = 0, b = 0;
            ++lines_;
            if (line[0] == 'W' && std::sscanf(line + 1, "%x", &a) == 1) {
                write(uint8_t(a));
            } else if (line[0] == 'T' && std::sscanf(line + 1, "%u %x", &a, &b) == 2) {
                if (!transferEnded_) return "a transfer record with no complete transfer before it";
                transferEnded_ = false;
                if (a != divider_) return "the recorded divider " + std::to_string(a) + " is not the one clocked out (" +
                                          std::to_string(divider_) + ")";
                const double low = std::floor(stepsPerMHz * (double(minFrequency) + intermediateMHz)) - 1;
                const double high = stepsPerMHz * (double(upperBandEdge) + intermediateMHz);
                if (a < low || a > high) return "divider " + std::to_string(a) + " lies outside the band";
                if (b != controlByteSoundOn && b != controlByteMuted) return "unknown control byte " + std::to_string(b);
                ++transfers_;
            } else if (line[0] != 'R') {
                return std::string("a trace line that is not understood: ") + line;
            }
            if (!error_.empty()) return error_;
        }
        if (inTransfer_) return "a transfer is still open after the event";
        if (transferEnded_) return "a complete transfer has no transfer record";
        return "";
    }
    long transfers() const { return transfers_; }
    long lines() const { return lines_; }

private:
    void write(uint8_t value) {
        const uint8_t before = lines_byte_;
        lines_byte_ = value;
        const bool enableRose = !(before & lineEnable) && (value & lineEnable);
        const bool enableFell = (before & lineEnable) && !(value & lineEnable);
        const bool clockRose = !(before & lineClock) && (value & lineClock);
        if (enableRose) {
            if (transferEnded_) error_ = "a transfer started before the last one was recorded";
            inTransfer_ = true;
            bits_ = 0;
            running_ = 0;
        }
        if (inTransfer_ && (value & lineEnable) && clockRose) {
            if (bits_ < dividerBits && (value & lineData)) running_ |= 1u << bits_;
            ++bits_;
        }
        if (inTransfer_ && enableFell) {
            inTransfer_ = false;
            if (bits_ != transferBits) {
                error_ = "a torn transfer of " + std::to_string(bits_) + " bits";
                return;
            }
            divider_ = running_;
            transferEnded_ = true;
        }
    }

    std::FILE* in_;
    uint8_t lines_byte_ = 0xC0;
    bool inTransfer_ = false, transferEnded_ = false;
    int bits_ = 0;
    unsigned running_ = 0, divider_ = 0;
    long transfers_ = 0, lines_ = 0;
    std::string error_;
};

std::string readWholeFile(const std::string& path) {
    std::string text;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
    std::fclose(in);
    return text;
}

class Soak {
public:
    Soak(uint64_t seed, long events) : seed_(seed), events_(events), rng_(seed) {
        const char* dir = std::getenv("TMPDIR");
        char pattern[256];
        std::snprintf(pattern, sizeof pattern, "%s/orvanta-soak-XXXXXX", dir && *dir ? dir : "/tmp");
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            std::exit(2);
        }
        dir_ = pattern;
        settingsPath_ = dir_ + "/orvanta.ini";
        SimulatorConfig config;
        config.tracePath = dir_ + "/trace.txt";
        card_ = std::make_unique<SimulatedCard>(config);
        trace_ = std::make_unique<TraceChecker>(config.tracePath);
    }
    ~Soak() {
        run_.reset();
        card_.reset();
        trace_.reset();
        std::remove((dir_ + "/trace.txt").c_str());
        std::remove(settingsPath_.c_str());
        rmdir(dir_.c_str());
    }
    Soak(const Soak&) = delete;
    Soak& operator=(const Soak&) = delete;

    int run() {
        startPanel();
        for (event_ = 1; event_ <= events_; ++event_) {
            oneEvent();
            if (!check()) return 1;
            if (!run_->h.window.exists) {
                ++panelsClosed_;
                startPanel();
                if (!check()) return 1;
            }
        }
        std::printf("soak: seed %llu, %ld events, %ld panels started, %ld closed with Yes or No, %ld transfers in "
                    "%ld trace lines, %ld settings file versions checked: ok\n",
                    static_cast<unsigned long long>(seed_), events_, panelsStarted_, panelsClosed_,
                    trace_->transfers(), trace_->lines(), settingsChecked_);
        return 0;
    }

private:
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    void note(const std::string& what) {
        recent_.push_back("#" + std::to_string(event_) + " " + what);
        if (recent_.size() > recentKept) recent_.pop_front();
    }

    void startPanel() {
        run_.reset();
        run_ = std::make_unique<PanelRun>(settingsPath_, *card_);
        ++panelsStarted_;
        note("start panel " + std::to_string(panelsStarted_));
        run_->h.dialogs.whileOpen = [this] { whileBoxOpen(); };
        runPanel(run_->app, 1);
    }

    // While the quit question is open the clock may still tick and paint.
    void whileBoxOpen() {
        if (uniform(0, 3) != 0) return;
        const unsigned id = unsigned(uniform(1, 3));
        note("  timer " + std::to_string(id) + " while the question is open");
        onTimer(run_->app, id);
    }

    void queueAnswer() {
        static const BoxAnswer answers[] = {BoxAnswer::Cancel, BoxAnswer::Cancel, BoxAnswer::No, BoxAnswer::Yes};
        static const char* const names[] = {"Cancel", "Cancel", "No", "Yes"};
        const int pick = uniform(0, 3);
        run_->h.dialogs.answers.assign(1, answers[pick]);
        answerName_ = names[pick];
    }

    uint32_t remoteValue() {
        switch (uniform(0, 3)) {
            case 0: return uint32_t(uniform(0, 120));
            case 1: return uint32_t(uniform(0, 2));
            case 2: return uint32_t(uniform(0, 0xFFFF));
            default: return uint32_t(rng_());
        }
    }

    void oneEvent() {
        App& app = run_->app;
        Headless& h = run_->h;
        h.port.ops.clear();
        h.window.log.clear();
        h.display.copyXs.clear();
        queueAnswer();
        const int kind = uniform(0, 99);
        char text[96];
        if (kind < 18) {
            const int x = uniform(-60, 440), y = uniform(-60, 200);
            std::snprintf(text, sizeof text, "press %d,%d (close answer %s)", x, y, answerName_);
            note(text);
            h.window.cursor = Point{x, y};
            onLeftDown(app, x, y);
        } else if (kind < 34) {
            note("release");
            onLeftUp(app);
        } else if (kind < 46) {
            const int x = uniform(-60, 440), y = uniform(-60, 200);
            const bool leftOnly = uniform(0, 1) == 1;
            std::snprintf(text, sizeof text, "move %d,%d%s", x, y, leftOnly ? " left button" : "");
            note(text);
            h.window.cursor = Point{x, y};
            onMouseMove(app, leftOnly, x, y);
        } else if (kind < 62) {
            const unsigned key = unsigned(uniform(0, 255));
            std::snprintf(text, sizeof text, "key down %u (close answer %s)", key, answerName_);
            note(text);
            onKeyDown(app, key);
        } else if (kind < 70) {
            note("key up");
            onKeyUp(app);
        } else if (kind < 84) {
            const unsigned id = unsigned(uniform(1, 3));
            note("timer " + std::to_string(id));
            onTimer(app, id);
        } else if (kind < 90) {
            static const char* const names[] = {"TQ_SETSTATION", "TQ_SETVOLUME", "TQ_MUTE"};
            const uint32_t ids[] = {app.state.msgSetStation, app.state.msgSetVolume, app.state.msgMute};
            const int which = uniform(0, 2);
            const uint32_t value = remoteValue();
            std::snprintf(text, sizeof text, "%s %u", names[which], value);
            note(text);
            onRegisteredMessage(app, ids[which], value);
        } else if (kind < 94) {
            note("paint");
            h.window.paintNow();
        } else if (kind < 98) {
            const int minutes = uniform(0, 1) ? 1 : uniform(0, 120);
            h.clock.seconds += 60 * minutes;
            const int total = (h.clock.local.hour * 60 + h.clock.local.minute + minutes) % (24 * 60);
            h.clock.local = LocalTime{total / 60, total % 60};
            std::snprintf(text, sizeof text, "time passes %d min, now %02d:%02d", minutes, h.clock.local.hour,
                          h.clock.local.minute);
            note(text);
        } else {
            std::snprintf(text, sizeof text, "close request (answer %s)", answerName_);
            note(text);
            onClose(app);
        }
    }

    bool fail(const std::string& what) {
        std::fprintf(stderr, "soak: FAILED at event %ld of seed %llu: %s\n", event_,
                     static_cast<unsigned long long>(seed_), what.c_str());
        std::fprintf(stderr, "soak: the last events:\n");
        for (const std::string& e : recent_) std::fprintf(stderr, "  %s\n", e.c_str());
        std::fprintf(stderr, "soak: replay with: orvanta_soak --seed %llu --events %ld\n",
                     static_cast<unsigned long long>(seed_), event_);
        return false;
    }

    bool check() {
        const ReceiverState& s = run_->app.state;
        const HeadlessWindow& w = run_->h.window;
        char text[160];
        if (s.presetIndex < 1 || s.presetIndex > presetCount) return fail("presetIndex " + std::to_string(s.presetIndex));
        if ((s.modeFlags & MF_SEEK_UP) && (s.modeFlags & MF_SEEK_DOWN)) return fail("both seek bits are set");
        if (s.modeFlags & ~knownFlags) {
            std::snprintf(text, sizeof text, "modeFlags 0x%X has an unknown bit", s.modeFlags);
            return fail(text);
        }
        if (s.presetDecade != 0 && (s.presetDecade < 10 || s.presetDecade > 90 || s.presetDecade % 10 != 0))
            return fail("presetDecade " + std::to_string(s.presetDecade));
        if (s.slumberMinutes < 1 || s.slumberMinutes > 99) return fail("slumberMinutes " + std::to_string(s.slumberMinutes));
        if (s.alarmHour < 0 || s.alarmHour > 23 || s.alarmMinute < 0 || s.alarmMinute > 59) {
            std::snprintf(text, sizeof text, "alarm time %d:%d", s.alarmHour, s.alarmMinute);
            return fail(text);
        }
        if (w.exists && !windowSizeAllowed(w.width, w.height)) {
            std::snprintf(text, sizeof text, "window size %d x %d (style %d, morph %d)", w.width, w.height,
                          s.panelStyle, s.morphState);
            return fail(text);
        }
        const std::string traceError = trace_->follow(s.minFrequency);
        if (!traceError.empty()) return fail("port trace: " + traceError);
        return checkSettingsFile(s.minFrequency);
    }

    // The settings file, whenever it changed: every stored preset lies in the band.
    bool checkSettingsFile(float minFrequency) {
        std::string content = readWholeFile(settingsPath_);
        if (content == lastSettings_) return true;
        lastSettings_.swap(content);
        ++settingsChecked_;
        ProfileStore store(settingsPath_);
        for (int n = 1; n <= presetCount; ++n) {
            char key[16];
            std::snprintf(key, sizeof key, "Station%d", n);
            const std::string value = store.readText("RadioStation", key, "", 64);
            if (value.empty()) continue;
            const float mhz = parseFrequency(value);
            if (!(mhz >= minFrequency && mhz <= upperBandEdge))
                return fail("the settings file stores preset " + std::to_string(n) + " as \"" + value + "\"");
        }
        const int station = store.readInt("RadioStation", "STATION", 1);
        if (station < 1 || station > presetCount) return fail("the settings file stores STATION " + std::to_string(station));
        const int style = store.readInt("SYSTEM", "STYLE", 0);
        if (style < styleFull || style > styleMini) return fail("the settings file stores STYLE " + std::to_string(style));
        return true;
    }

    uint64_t seed_;
    long events_;
    std::mt19937_64 rng_;
    std::string dir_, settingsPath_;
    std::unique_ptr<SimulatedCard> card_;
    std::unique_ptr<TraceChecker> trace_;
    std::unique_ptr<PanelRun> run_;
    std::deque<std::string> recent_;
    const char* answerName_ = "";
    std::string lastSettings_;
    long event_ = 0, panelsStarted_ = 0, panelsClosed_ = 0, settingsChecked_ = 0;
};

}  // namespace

}  // namespace orv::soak

int main(int argc, char** argv) {
    uint64_t seed = 1;
    long events = orv::soak::defaultEvents;
    if (const char* env = std::getenv("ORVANTA_SOAK_EVENTS")) events = std::atol(env);
    if (const char* env = std::getenv("ORVANTA_SOAK_SEED")) seed = std::strtoull(env, nullptr, 10);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seed") == 0) {
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (std::strcmp(argv[i], "--events") == 0) {
            events = std::atol(argv[i + 1]);
        } else {
            std::fprintf(stderr, "usage: %s [--seed N] [--events N]\n", argv[0]);
            return 2;
        }
    }
    if (events <= 0) {
        std::fprintf(stderr, "soak: the number of events must be positive\n");
        return 2;
    }
    orv::soak::Soak soak(seed, events);
    return soak.run();
}
