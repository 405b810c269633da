// The SDR card against a fake IQ source that plays a test band: transfers
// tune the hardware below the station, the probe answers only from the
// measurement of the latest tuning (never from samples of the old frequency
// still queued in the device), mute and volume act on the sound, and a
// device pulled out goes silent and plays on when it is back. Also the
// choice of the SDR among the cards and the keys it reads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "card_fakes.h"
#include "platform/headless/headless.h"
#include "platform/linux/linux_card.h"
#include "platform/linux/playing_card.h"
#include "receiver/test_band.h"
#include "receiver/tuning.h"
#include "tuner/tuner.h"

namespace orv::linuxcard {
namespace {

using namespace std::chrono_literals;
constexpr double rate = 1024000.0;
constexpr double loopSeconds = 0.1;
constexpr double staleInDevice = 0.016;  // what the device still holds of the old frequency
constexpr int speedUp = 4;               // the fake runs faster than real time
const double stationHz = 98.1e6;

// What the test sees of the fake device, which the card owns.
struct DeviceState {
    std::atomic<bool> present{true};
    std::atomic<int> opens{0};
    std::mutex mutex;
    std::vector<double> tunings;
    double lastTuning() {
        std::lock_guard<std::mutex> lock(mutex);
        return tunings.empty() ? 0.0 : tunings.back();
    }
};

// The band around a centre frequency, a loop of 0.1 s (cached: the
// generator is slow under the sanitizers).
const std::vector<int8_t>& bandAt(double centreHz) {
    static std::mutex mutex;
    static std::map<double, std::vector<int8_t>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(centreHz);
    if (it != cache.end()) return it->second;
    testband::Band band;
    band.sampleRate = rate;
    band.seconds = loopSeconds;
    std::vector<testband::TestStation> stations;
    if (std::fabs(stationHz - centreHz) < rate / 2) {
        testband::TestStation s;
        s.offsetHz = stationHz - centreHz;
        s.snrDb = 30.0;
        s.left = {{1000.0, 0.4}};
        s.right = {{3000.0, 0.4}};
        stations.push_back(s);
    }
    return cache[centreHz] = testband::makeBandCs8(band, stations);
}

class FakeSource : public IqSource {
public:
    explicit FakeSource(DeviceState& state) : state_(state) {}
    bool open(std::string& whyNot) override {
        if (!state_.present) {
            whyNot = "not there";
            return false;
        }
        ++state_.opens;
        return true;
    }
    void close() override {}
    std::string label() const override { return "Orvanta test SDR"; }
    bool tune(double hardwareHz) override {
        if (!state_.present) return false;
        {
            std::lock_guard<std::mutex> lock(state_.mutex);
            state_.tunings.push_back(hardwareHz);
        }
        stale_ = current_;
        staleLeft_ = size_t(staleInDevice * rate);
        current_ = &bandAt(hardwareHz);
        return true;
    }
    long read(void* buffer, size_t count) override {
        if (!state_.present) return -1;
        std::this_thread::sleep_for(std::chrono::duration<double>(double(count) / rate / speedUp));
        if (!current_) current_ = &bandAt(0.0);
        auto* out = static_cast<int8_t*>(buffer);
        for (size_t i = 0; i < count; ++i, ++position_) {
            const std::vector<int8_t>& loop = staleLeft_ > 0 && stale_ ? *stale_ : *current_;
            if (staleLeft_ > 0) --staleLeft_;
            const size_t at = position_ % (loop.size() / 2);
            out[2 * i] = loop[2 * at];
            out[2 * i + 1] = loop[2 * at + 1];
        }
        return long(count);
    }
    receiver::IqFormat format() const override { return receiver::IqFormat::CS8; }
    double sampleRate() const override { return rate; }

private:
    DeviceState& state_;
    const std::vector<int8_t>* current_ = nullptr;
    const std::vector<int8_t>* stale_ = nullptr;
    size_t staleLeft_ = 0;
    size_t position_ = 0;
};

// The panel's own port operations on an SDR card.
struct SdrPanel {
    DeviceState device;
    Headless h;
    audio::AudioPlayer player;
    SdrSettings settings;
    std::unique_ptr<SdrCard> card;
    std::unique_ptr<App> app;

    explicit SdrPanel(bool withSound = true) {
        card = std::make_unique<SdrCard>(std::make_unique<FakeSource>(device), withSound ? &player : nullptr,
                                         *h.profile, settings);
        h.port.attached = card.get();
        app = std::make_unique<App>(h.platform);
        initControlBytes(*app);
    }
    ~SdrPanel() { card.reset(); }
    bool open() {
        std::string why;
        return card->open(why);
    }
    // The transfer alone, without the core's probe (its clock is virtual here).
    void transfer(float mhz, bool muted = false) {
        if (muted)
            app->state.modeFlags |= MF_MUTED;
        else
            app->state.modeFlags &= ~MF_MUTED;
        writeSynthesizer(*app, dividerFor(mhz), muted ? app->state.controlMuted : app->state.controlSoundOn);
    }
    // The status line as the core reads it while probing.
    bool probe() {
        const uint8_t idle = idleByte(app->state.modeFlags);
        card->writeByte(0x30C, idle | lineProbe);
        const uint8_t status = card->readByte(0x30C);
        card->writeByte(0x30C, idle);
        return !(status & statusNoSignal);
    }
    bool measured() { return card->player().measurement().ready; }
};

TEST(SdrCard, TransfersTuneTheHardwareBelowTheStation) {
    SdrPanel p;
    ASSERT_TRUE(p.open());
    EXPECT_EQ(p.card->description(), "SDR driver=rtlsdr (Orvanta test SDR)");
    p.transfer(98.1f);
    ASSERT_TRUE(within(2000ms, [&] { return p.device.lastTuning() == stationHz - receiver::stationOffsetHz; }))
        << p.device.lastTuning();
    p.transfer(107.9f);
    ASSERT_TRUE(within(2000ms, [&] { return p.device.lastTuning() == 107.9e6 - receiver::stationOffsetHz; }));
}

TEST(SdrCard, ProbeAnswersOnlyFromTheLatestTuningsMeasurement) {
    SdrPanel p;
    ASSERT_TRUE(p.open());
    p.transfer(98.1f);
    EXPECT_FALSE(p.probe());  // at once: nothing measured yet on this tuning
    ASSERT_TRUE(within(5000ms, [&] { return p.measured(); }));
    EXPECT_TRUE(p.probe());

    // Off the station the old measurement never answers, nor do the old
    // frequency's samples the device still hands over.
    p.transfer(98.6f);
    EXPECT_FALSE(p.probe());
    ASSERT_TRUE(within(5000ms, [&] { return p.measured(); }));
    EXPECT_FALSE(p.probe());

    p.transfer(98.1f);
    EXPECT_FALSE(p.probe());
    ASSERT_TRUE(within(5000ms, [&] { return p.measured(); }));
    EXPECT_TRUE(p.probe());
}

TEST(SdrCard, MuteAndVolumeActOnTheSoundAndTheLevelIsKept) {
    SdrPanel p;
    p.h.profile->writeString("Audio", "LEVEL", "-56");
    p.card.reset();  // made again so that it reads the level
    p.card = std::make_unique<SdrCard>(std::make_unique<FakeSource>(p.device), &p.player, *p.h.profile, p.settings);
    p.h.port.attached = p.card.get();
    ASSERT_TRUE(p.open());
    EXPECT_TRUE(p.player.gain().muted());  // silent until the panel's first transfer
    EXPECT_EQ(p.player.gain().level(), -56);

    p.transfer(98.1f);
    EXPECT_FALSE(p.player.gain().muted());
    p.transfer(98.1f, true);
    EXPECT_TRUE(p.player.gain().muted());
    p.transfer(98.1f);

    for (int i = 0; i < 3; ++i) stepVolume(*p.app, volumeDown);
    EXPECT_EQ(p.player.gain().level(), -60);  // -58, -60, and no further
    EXPECT_EQ(p.h.profile->readInt("Audio", "LEVEL", 0), -60);
    stepVolume(*p.app, volumeUp);
    EXPECT_EQ(p.player.gain().level(), -58);
    EXPECT_EQ(p.h.profile->readInt("Audio", "LEVEL", 0), -58);
    EXPECT_FALSE(p.player.gain().muted());  // the pulses leave the mute alone
}

TEST(SdrCard, PulledOutItIsSilentWithNoSignalAndPlaysOnWhenBack) {
    SdrPanel p;
    ASSERT_TRUE(p.open());
    p.transfer(98.1f);
    ASSERT_TRUE(within(5000ms, [&] { return p.measured() && p.probe(); }));

    p.device.present = false;
    ASSERT_TRUE(within(2000ms, [&] { return !p.card->player().connected(); }));
    EXPECT_FALSE(p.probe());
    p.transfer(98.1f);  // the panel keeps working
    EXPECT_FALSE(p.probe());

    p.device.present = true;
    ASSERT_TRUE(within(5000ms, [&] { return p.card->player().connected(); }));
    ASSERT_TRUE(within(5000ms, [&] { return p.measured(); }));
    EXPECT_TRUE(p.probe());
    EXPECT_EQ(p.device.opens, 2);
    EXPECT_EQ(p.device.lastTuning(), stationHz - receiver::stationOffsetHz);  // at the panel's frequency again
}

TEST(SdrCard, OpenSaysWhichModuleIsMissing) {
    SdrPanel p;
    p.device.present = false;
    std::string why;
    EXPECT_FALSE(p.card->open(why));
    EXPECT_EQ(why,
              "No SDR answers to driver=rtlsdr: is it plugged in, and is its SoapySDR module installed "
              "(soapysdr0.8-module-rtlsdr)?");
}

// The cards to choose from: a V4L2 radio that never answers, and the fake SDR.
struct Choice {
    Headless h;
    NoRadio radio;
    NoPorts ports;
    DeviceState device;
    int made = 0;
    std::string argsAsked;
    std::unique_ptr<LinuxCardPort> card;
    std::string why;

    Choice() {
        CardSystem system(radio, ports);
        system.makeSdr = [this](const SdrSettings& s) -> std::unique_ptr<IqSource> {
            ++made;
            argsAsked = s.args;
            return std::make_unique<FakeSource>(device);
        };
        card = std::make_unique<LinuxCardPort>(*h.profile, system);
    }
    bool open() { return card->open(why); }
};

TEST(LinuxCard, SdrIsHadWhenNamedOrSaysWhyNot) {
    Choice named;
    named.h.profile->writeString("Card", "MODE", " SDR ");
    named.h.profile->writeString("Card", "SDR", "driver=orvantafake,serial=0001");
    ASSERT_TRUE(named.open());
    EXPECT_EQ(named.card->description(), "SDR driver=orvantafake,serial=0001 (Orvanta test SDR)");
    EXPECT_TRUE(named.card->playsSound() == false);  // no sound output in this system

    Choice missing;
    missing.h.profile->writeString("Card", "MODE", "sdr");
    missing.device.present = false;
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(missing.why.rfind("No SDR answers to driver=rtlsdr:", 0), 0u) << missing.why;

    Choice noDriver;  // never asked of SoapySDR: that would ask every module
    noDriver.h.profile->writeString("Card", "MODE", "sdr");
    noDriver.h.profile->writeString("Card", "SDR", "serial=0001");
    EXPECT_FALSE(noDriver.open());
    EXPECT_EQ(noDriver.made, 0);
    EXPECT_FALSE(noDriver.why.empty());
}

TEST(LinuxCard, AutoTakesAnSdrAfterTheRadioElseTheSimulatedCard) {
    Choice sdr;
    ASSERT_TRUE(sdr.open());
    EXPECT_EQ(sdr.argsAsked, "driver=rtlsdr");
    EXPECT_EQ(sdr.card->description(), "SDR driver=rtlsdr (Orvanta test SDR)");

    Choice none;
    none.device.present = false;
    ASSERT_TRUE(none.open());
    EXPECT_EQ(none.card->description(), "simulated card");

    Choice noDriver;
    noDriver.h.profile->writeString("Card", "SDR", "rtlsdr");
    ASSERT_TRUE(noDriver.open());
    EXPECT_EQ(noDriver.made, 0);
    EXPECT_EQ(noDriver.card->description(), "simulated card");
}

TEST(SdrSettings, DeemphasisFollowsTheLocalesTerritory) {
    EXPECT_EQ(localeTerritory(nullptr, nullptr, "en_US.UTF-8"), "US");
    EXPECT_EQ(localeTerritory("de_DE.UTF-8", "en_US", "en_US"), "DE");  // LC_ALL first
    EXPECT_EQ(localeTerritory("", "ko_KR.eucKR", "de_DE"), "KR");       // then LC_MESSAGES
    EXPECT_EQ(localeTerritory(nullptr, nullptr, "pt_br@euro"), "BR");
    EXPECT_EQ(localeTerritory(nullptr, nullptr, "C.UTF-8"), "");
    EXPECT_EQ(localeTerritory(nullptr, nullptr, nullptr), "");
    for (const char* t : {"US", "CA", "MX", "BR", "AR", "JM", "KR"})
        EXPECT_EQ(deemphasisForTerritory(t), 75e-6) << t;
    for (const char* t : {"DE", "GB", "JP", "KP", "AU", "ES", "PT", ""})
        EXPECT_EQ(deemphasisForTerritory(t), 50e-6) << t;
}

TEST(SdrSettings, KeysOfTheCardSection) {
    Headless h;
    SdrSettings d = readSdrSettings(*h.profile, "US");
    EXPECT_EQ(d.args, "driver=rtlsdr");
    EXPECT_TRUE(d.autoGain);
    EXPECT_TRUE(d.stereo);
    EXPECT_EQ(d.deemphasisSeconds, 75e-6);
    EXPECT_EQ(d.threshold, 16384);

    h.profile->writeString("Card", "SDR", "driver=airspy");
    h.profile->writeString("Card", "PPM", "-3.5");
    h.profile->writeString("Card", "GAIN", "29.7");
    h.profile->writeString("Card", "DEEMPHASIS", "50");
    h.profile->writeString("Card", "STEREO", "Mono");
    h.profile->writeString("Card", "THRESHOLD", "-5");
    SdrSettings s = readSdrSettings(*h.profile, "US");
    EXPECT_EQ(s.args, "driver=airspy");
    EXPECT_EQ(s.ppm, -3.5);
    EXPECT_FALSE(s.autoGain);
    EXPECT_EQ(s.gainDb, 29.7);
    EXPECT_EQ(s.deemphasisSeconds, 50e-6);
    EXPECT_FALSE(s.stereo);
    EXPECT_EQ(s.threshold, 0);
    h.profile->writeString("Card", "DEEMPHASIS", "75");
    EXPECT_EQ(readSdrSettings(*h.profile, "DE").deemphasisSeconds, 75e-6);

    EXPECT_EQ(driverOf("serial=1, driver = hackrf ,x=y"), "hackrf");
    EXPECT_EQ(driverOf("drivers=x"), "");
    EXPECT_NE(noSdrMessage("driver=hackrf").find("(soapysdr0.8-module-hackrf)?"), std::string::npos);
}

}  // namespace
}  // namespace orv::linuxcard
