// The native program's cards: the V4L2 receiver against a fake device at the
// ioctl seam, the port through a fake ioperm, and the choice between them.
// Nothing here opens a real device or executes a port instruction.
#include <gtest/gtest.h>

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "card_fakes.h"
#include "platform/headless/headless.h"
#include "platform/linux/ioperm_port.h"
#include "platform/linux/linux_card.h"
#include "platform/linux/v4l2_radio.h"
#include "synth/rds_encoder.h"
#include "tuner/tuner.h"

namespace orv::linuxcard {
namespace {

// A radio receiver at one path, as the kernel would answer for it.
class FakeRadio : public RadioDevice {
public:
    std::string path = "/dev/radio0";
    bool present = true;       // false: pulled out
    bool isRadio = true;
    bool lowUnits = false;
    uint32_t rangeLow = 87500 * 16 / 1000, rangeHigh = 108000 * 16 / 1000;
    bool hasMute = true, hasVolume = true;
    int volume = 5, volumeMin = 0, volumeMax = 15, volumeStep = 1;
    uint16_t signal = 0;
    int failNext = 0;  // errno for the next ioctl, 0: none
    // What the device received.
    std::vector<uint32_t> frequencies;
    std::vector<int> mutes;
    int opens = 0, closes = 0;

    int open(const char* p) override {
        if (!present || p != path) {
            errno = ENOENT;
            return -1;
        }
        ++opens;
        open_ = true;
        return 7;
    }
    void close(int) override {
        ++closes;
        open_ = false;
    }
    long read(int fd, void* buffer, unsigned long bytes) override {
        if (fd != 7 || !open_) return fail(EBADF);
        if (!present) return fail(ENODEV);
        std::lock_guard<std::mutex> lock(rdsMutex);
        const size_t count = std::min(rdsWaiting.size(), size_t(bytes / sizeof(v4l2_rds_data)));
        if (count == 0) return fail(EAGAIN);
        std::memcpy(buffer, rdsWaiting.data(), count * sizeof(v4l2_rds_data));
        rdsWaiting.erase(rdsWaiting.begin(), rdsWaiting.begin() + long(count));
        return long(count * sizeof(v4l2_rds_data));
    }
    // RDS blocks waiting in the driver; the RDS thread reads them.
    void sendRds(const std::vector<v4l2_rds_data>& blocks) {
        std::lock_guard<std::mutex> lock(rdsMutex);
        rdsWaiting.insert(rdsWaiting.end(), blocks.begin(), blocks.end());
    }
    size_t rdsLeft() {
        std::lock_guard<std::mutex> lock(rdsMutex);
        return rdsWaiting.size();
    }
    bool rds = false;  // advertises RDS capture
    std::mutex rdsMutex;
    std::vector<v4l2_rds_data> rdsWaiting;
    int ioctl(int fd, unsigned long request, void* arg) override {
        if (fd != 7 || !open_) return fail(EBADF);
        if (!present) return fail(ENODEV);
        if (failNext) {
            int e = failNext;
            failNext = 0;
            return fail(e);
        }
        switch (request) {
        case VIDIOC_QUERYCAP: {
            auto* cap = static_cast<v4l2_capability*>(arg);
            cap->capabilities = V4L2_CAP_DEVICE_CAPS | V4L2_CAP_RADIO | V4L2_CAP_TUNER;
            cap->device_caps = isRadio ? (V4L2_CAP_RADIO | V4L2_CAP_TUNER) : V4L2_CAP_VIDEO_CAPTURE;
            if (rds) cap->device_caps |= V4L2_CAP_RDS_CAPTURE;
            return 0;
        }
        case VIDIOC_G_TUNER: {
            auto* t = static_cast<v4l2_tuner*>(arg);
            if (t->index != 0) return fail(EINVAL);
            t->type = V4L2_TUNER_RADIO;
            t->capability = (lowUnits ? V4L2_TUNER_CAP_LOW : 0) | (rds ? V4L2_TUNER_CAP_RDS | V4L2_TUNER_CAP_RDS_BLOCK_IO : 0);
            t->rangelow = rangeLow;
            t->rangehigh = rangeHigh;
            t->signal = signal;
            return 0;
        }
        case VIDIOC_S_FREQUENCY: {
            auto* f = static_cast<v4l2_frequency*>(arg);
            if (f->tuner != 0 || f->type != V4L2_TUNER_RADIO) return fail(EINVAL);
            frequencies.push_back(f->frequency);
            return 0;
        }
        case VIDIOC_QUERYCTRL: {
            auto* q = static_cast<v4l2_queryctrl*>(arg);
            if (q->id == V4L2_CID_AUDIO_MUTE && hasMute) return 0;
            if (q->id == V4L2_CID_AUDIO_VOLUME && hasVolume) {
                q->minimum = volumeMin, q->maximum = volumeMax, q->step = volumeStep;
                return 0;
            }
            return fail(EINVAL);
        }
        case VIDIOC_G_CTRL: {
            auto* c = static_cast<v4l2_control*>(arg);
            if (c->id != V4L2_CID_AUDIO_VOLUME || !hasVolume) return fail(EINVAL);
            c->value = volume;
            return 0;
        }
        case VIDIOC_S_CTRL: {
            auto* c = static_cast<v4l2_control*>(arg);
            if (c->id == V4L2_CID_AUDIO_MUTE && hasMute) {
                mutes.push_back(c->value);
                return 0;
            }
            if (c->id == V4L2_CID_AUDIO_VOLUME && hasVolume) {
                volume = c->value;
                return 0;
            }
            return fail(EINVAL);
        }
        default: return fail(ENOTTY);
        }
    }

private:
    static int fail(int e) {
        errno = e;
        return -1;
    }
    bool open_ = false;
};

// The panel's own port operations against a card, on the headless clock.
struct Panel {
    explicit Panel(Port& card) { h.port.attached = &card; initControlBytes(app); }
    void tune(float mhz) { tuneFrequency(app, mhz, app.state.modeFlags); }
    bool signal() const { return app.state.modeFlags & MF_SIGNAL; }
    Headless h;
    App app{h.platform};
};

TEST(V4l2Radio, TransfersTuneInEitherUnitWithinTheTunersRange) {
    const struct {
        bool low;
        float mhz;
        uint32_t expected;
    } cases[] = {
        {false, 98.1f, 1570},       // 98.100 MHz in 62.5 kHz
        {true, 98.1f, 1569600},     // in 62.5 Hz
        {false, 87.0f, 1400},       // below the tuner's 87.5: its lowest
        {true, 107.975f, 1727600},
    };
    for (const auto& c : cases) {
        FakeRadio radio;
        radio.lowUnits = c.low;
        if (c.low) radio.rangeLow = 1400000, radio.rangeHigh = 1728000;
        V4l2Radio card(radio, {});
        std::string why;
        ASSERT_TRUE(card.open(why)) << why;
        Panel p(card);
        p.tune(c.mhz);
        ASSERT_EQ(radio.frequencies.size(), 1u);
        EXPECT_EQ(radio.frequencies[0], c.expected) << c.mhz;
        EXPECT_EQ(radio.mutes, std::vector<int>{0});
    }
}

TEST(V4l2Radio, MuteVolumeAndTheProbeReachTheDevice) {
    FakeRadio radio;
    V4l2Radio card(radio, {"/dev/radio0", 20000});
    std::string why;
    ASSERT_TRUE(card.open(why));
    Panel p(card);
    p.app.state.modeFlags |= MF_MUTED;
    p.tune(94.8f);
    EXPECT_EQ(radio.mutes.back(), 1);

    stepVolume(p.app, volumeUp);
    stepVolume(p.app, volumeUp);
    EXPECT_EQ(radio.volume, 7);
    radio.volume = 15;
    stepVolume(p.app, volumeUp);  // stays at the top of the range
    EXPECT_EQ(radio.volume, 15);
    stepVolume(p.app, volumeDown);
    EXPECT_EQ(radio.volume, 14);

    radio.signal = 19999;
    p.tune(94.8f);
    EXPECT_FALSE(p.signal());
    radio.signal = 20000;  // read fresh for every probe
    p.tune(94.8f);
    EXPECT_TRUE(p.signal());
    EXPECT_EQ(card.readByte(0x30C), 0xFF);  // outside a probe the line says nothing
}

TEST(V4l2Radio, DevicesWithoutMuteOrVolumeStillTune) {
    FakeRadio radio;
    radio.hasMute = radio.hasVolume = false;
    V4l2Radio card(radio, {});
    std::string why;
    ASSERT_TRUE(card.open(why));
    Panel p(card);
    p.tune(101.3f);
    stepVolume(p.app, volumeUp);
    EXPECT_EQ(radio.frequencies.size(), 1u);
    EXPECT_TRUE(radio.mutes.empty());
    EXPECT_EQ(radio.volume, 5);
}

TEST(V4l2Radio, OpenRefusesWhatIsNoRadioWithAClearReason) {
    {
        FakeRadio radio;
        radio.present = false;
        V4l2Radio card(radio, {});
        std::string why;
        EXPECT_FALSE(card.open(why));
        EXPECT_EQ(why, "Can't open the radio device /dev/radio0: No such file or directory");
    }
    {
        FakeRadio radio;
        radio.isRadio = false;
        V4l2Radio card(radio, {});
        std::string why;
        EXPECT_FALSE(card.open(why));
        EXPECT_EQ(why, "/dev/radio0 is not a radio tuner");
        EXPECT_EQ(radio.closes, 1);
    }
    {
        FakeRadio radio;
        radio.failNext = ENOTTY;
        V4l2Radio card(radio, {});
        std::string why;
        EXPECT_FALSE(card.open(why));
        EXPECT_EQ(why.rfind("/dev/radio0 is not a Video4Linux2 device: ", 0), 0u) << why;
    }
}

TEST(V4l2Radio, AFailingCallLosesNothingAndTheNextTransferGoesThrough) {
    FakeRadio radio;
    V4l2Radio card(radio, {});
    std::string why;
    ASSERT_TRUE(card.open(why));
    Panel p(card);
    radio.failNext = EINVAL;  // the frequency is refused once
    p.tune(89.3f);
    EXPECT_TRUE(radio.frequencies.empty());
    EXPECT_TRUE(card.connected());
    p.tune(89.3f);
    EXPECT_EQ(radio.frequencies.size(), 1u);
}

// A USB receiver pulled out and put back: the panel keeps working, reads no
// signal meanwhile, and the device gets the panel's tuning when it is back.
TEST(V4l2Radio, DeviceThatGoesAwayIsReachedAgainWhenItIsBack) {
    FakeRadio radio;
    radio.signal = 65535;
    V4l2Radio card(radio, {});
    std::string why;
    ASSERT_TRUE(card.open(why));
    Panel p(card);
    p.tune(98.1f);
    EXPECT_TRUE(p.signal());

    radio.present = false;
    p.tune(104.6f);
    EXPECT_FALSE(card.connected());
    EXPECT_FALSE(p.signal());
    p.tune(106.9f);
    EXPECT_FALSE(p.signal());
    EXPECT_EQ(radio.frequencies.size(), 1u);

    radio.present = true;
    p.app.state.modeFlags |= MF_MUTED;
    p.tune(94.8f);
    EXPECT_TRUE(card.connected());
    EXPECT_TRUE(p.signal());
    ASSERT_GE(radio.frequencies.size(), 2u);
    EXPECT_EQ(radio.frequencies.back(), 1517u);  // 94.8 MHz x 16
    EXPECT_EQ(radio.mutes.back(), 1);
    EXPECT_EQ(radio.opens, 2);
}

TEST(V4l2Radio, TunerUnitsRoundAndClamp) {
    EXPECT_EQ(tunerUnits(100.0, false, 0, 0xFFFFFFFF), 1600u);
    EXPECT_EQ(tunerUnits(100.03, false, 0, 0xFFFFFFFF), 1600u);
    EXPECT_EQ(tunerUnits(100.0, true, 0, 0xFFFFFFFF), 1600000u);
    EXPECT_EQ(tunerUnits(120.0, false, 1400, 1728), 1728u);
    EXPECT_EQ(tunerUnits(-5.0, false, 0, 100), 0u);
    EXPECT_EQ(tunerUnits(100.0, false, 10, 5), 1600u);  // a range that is none is ignored
}

// Port instructions that only record; nothing reaches a real port.
class FakePorts : public PortInstructions {
public:
    int grantResult = 0, grantErrno = 0;
    std::vector<std::pair<unsigned long, unsigned long>> grants;
    std::vector<std::pair<uint16_t, uint8_t>> outs;
    std::vector<uint16_t> ins;
    int grant(unsigned long from, unsigned long count) override {
        grants.push_back({from, count});
        errno = grantErrno;
        return grantResult;
    }
    void outByte(uint16_t port, uint8_t value) override { outs.push_back({port, value}); }
    uint8_t inByte(uint16_t port) override {
        ins.push_back(port);
        return 0xFF;
    }
    uint16_t inWord(uint16_t port) override {
        ins.push_back(port);
        return 0xFFFF;
    }
};

TEST(IopermPort, ReachesOnlyTheCardsAddressOnceGranted) {
    FakePorts ports;
    IopermPort port(ports, 0x30C);
    port.writeByte(0x30C, 0xC8);  // before access: nothing
    std::string why;
    ASSERT_TRUE(port.open(why));
    EXPECT_EQ(ports.grants, (std::vector<std::pair<unsigned long, unsigned long>>{{0x30C, 2}}));
    port.writeByte(0x30C, 0xC9);
    port.writeByte(0x80, 0x01);
    port.readByte(0x30C);
    port.readWord(0x30C);
    port.readByte(0x30D);
    EXPECT_EQ(ports.outs, (std::vector<std::pair<uint16_t, uint8_t>>{{0x30C, 0xC9}}));
    EXPECT_EQ(ports.ins, (std::vector<uint16_t>{0x30C, 0x30C}));
}

TEST(IopermPort, RefusalSaysWhatToDo) {
    FakePorts ports;
    ports.grantResult = -1, ports.grantErrno = EPERM;
    IopermPort port(ports, 0x30C);
    std::string why;
    EXPECT_FALSE(port.open(why));
    EXPECT_EQ(why, "No port access to 0x30C: run as root or grant CAP_SYS_RAWIO");
    port.writeByte(0x30C, 1);
    EXPECT_TRUE(ports.outs.empty());
}

// The choice: what each mode opens, and what it never touches.
struct Choice {
    Headless h;
    FakeRadio radio;
    FakePorts ports;
    LinuxCardPort card{*h.profile, CardSystem{radio, ports}};
    std::string why;
    bool open() { return card.open(why); }
};

TEST(LinuxCard, AutoTakesAWorkingRadioElseTheSimulatedCardAndNeverThePort) {
    Choice withRadio;
    ASSERT_TRUE(withRadio.open());
    EXPECT_EQ(withRadio.card.description(), "radio receiver /dev/radio0");
    EXPECT_TRUE(withRadio.ports.grants.empty());

    Choice noRadio;
    noRadio.radio.present = false;
    ASSERT_TRUE(noRadio.open());
    EXPECT_EQ(noRadio.card.description(), "simulated card");
    EXPECT_TRUE(noRadio.ports.grants.empty());

    Choice notARadio;
    notARadio.radio.isRadio = false;
    ASSERT_TRUE(notARadio.open());
    EXPECT_EQ(notARadio.card.description(), "simulated card");
    EXPECT_EQ(notARadio.radio.closes, 1);
}

TEST(LinuxCard, NamedModesAreHadOrSayWhyNot) {
    Choice simulated;
    simulated.h.profile->writeString("Card", "MODE", "simulated");
    ASSERT_TRUE(simulated.open());
    EXPECT_EQ(simulated.card.description(), "simulated card");
    EXPECT_EQ(simulated.radio.opens, 0);

    Choice older;  // a file from before the Card section
    older.h.profile->writeString("Simulator", "MODE", "simulated");
    ASSERT_TRUE(older.open());
    EXPECT_EQ(older.radio.opens, 0);

    Choice v4l2;
    v4l2.h.profile->writeString("Card", "MODE", "v4l2");
    v4l2.h.profile->writeString("Card", "DEVICE", "/dev/radio1");
    v4l2.radio.path = "/dev/radio0";
    EXPECT_FALSE(v4l2.open());
    EXPECT_EQ(v4l2.why, "Can't open the radio device /dev/radio1: No such file or directory");

    Choice port;
    port.h.profile->writeString("Card", "MODE", "port");
    port.ports.grantResult = -1, port.ports.grantErrno = EPERM;
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.why, "No port access to 0x30C: run as root or grant CAP_SYS_RAWIO");
    EXPECT_EQ(port.radio.opens, 0);

    Choice granted;
    granted.h.profile->writeString("Card", "MODE", "port");
    granted.h.profile->writeString("SYSTEM", "ADDR", "2a0");
    ASSERT_TRUE(granted.open());
    EXPECT_EQ(granted.card.description(), "card's port 0x2A0");
    EXPECT_EQ(granted.ports.grants.size(), 1u);
    EXPECT_EQ(granted.ports.grants[0].first, 0x2A0u);

    Choice systemBoard;  // an address no card has: refused before any access
    systemBoard.h.profile->writeString("Card", "MODE", "port");
    systemBoard.h.profile->writeString("SYSTEM", "ADDR", "zz");
    EXPECT_FALSE(systemBoard.open());
    EXPECT_TRUE(systemBoard.ports.grants.empty());
    EXPECT_EQ(systemBoard.why.rfind("No port access to 0x0", 0), 0u) << systemBoard.why;
}

TEST(LinuxCard, ThresholdAndDeviceComeFromTheCardSection) {
    Choice c;
    c.h.profile->writeString("Card", "MODE", "v4l2");
    c.h.profile->writeString("Card", "THRESHOLD", "70000");  // beyond full scale: full scale
    c.radio.signal = 65535;
    ASSERT_TRUE(c.open());
    Panel p(c.card);
    p.tune(98.1f);
    EXPECT_TRUE(p.signal());
    c.radio.signal = 65534;
    p.tune(98.1f);
    EXPECT_FALSE(p.signal());
}

// A USB receiver's sound: played from its capture device. No sound device
// is opened: the output and the capture are fakes that only record.
class FakeOutput : public audio::AudioOutput {
public:
    audio::AudioPlayer* playing = nullptr;
    bool start(audio::AudioPlayer& player, std::string&) override {
        playing = &player;
        return true;
    }
    void stop() override { playing = nullptr; }
};

class FakeCapture : public audio::AudioInput {
public:
    std::vector<std::string> names = {"Built-in Audio Analog Stereo", "FM Radio Analog Stereo"};
    std::string started;  // the device capturing now
    bool refuse = false;
    std::vector<std::string> deviceNames() override { return names; }
    bool start(const std::string& name, audio::AudioPlayer&, std::string& whyNot) override {
        if (refuse) {
            whyNot = "Device or resource busy";
            return false;
        }
        started = name;
        return true;
    }
    void stop() override { started.clear(); }
};

namespace fs = std::filesystem;

// sysfs of a USB receiver: its radio node and its sound card's capture PCM
// below one USB device.
fs::path usbReceiverSysfs(const std::string& name) {
    const fs::path root = fs::path(::testing::TempDir()) / ("sysfs-capture-" + name);
    fs::remove_all(root);
    const fs::path usb = root / "devices/pci0000:00/usb1/1-2";
    fs::create_directories(usb / "1-2:1.0/video4linux/radio0");
    fs::create_directories(usb / "1-2:1.1/sound/card1/pcmC1D0c");
    std::ofstream(usb / "idVendor") << "10c4\n";
    std::ofstream(usb / "idProduct") << "818a\n";
    std::ofstream(usb / "product") << "FM Radio\n";
    std::ofstream(usb / "1-2:1.1/sound/card1/id") << "Radio\n";
    fs::create_directories(root / "class/video4linux");
    fs::create_directories(root / "class/sound");
    fs::create_symlink("../../devices/pci0000:00/usb1/1-2/1-2:1.0/video4linux/radio0", root / "class/video4linux/radio0");
    fs::create_symlink("../../devices/pci0000:00/usb1/1-2/1-2:1.1/sound/card1/pcmC1D0c", root / "class/sound/pcmC1D0c");
    fs::create_symlink("../../devices/pci0000:00/usb1/1-2/1-2:1.1/sound/card1", root / "class/sound/card1");
    return root;
}

struct CapturedChoice {
    explicit CapturedChoice(const std::string& name) : sysfs(usbReceiverSysfs(name)) {
        CardSystem system{radio, ports};
        system.sound = &output;
        system.capture = &capture;
        system.sysfsRoot = sysfs.string();
        card = std::make_unique<LinuxCardPort>(*h.profile, std::move(system));
        h.profile->writeString("Card", "MODE", "v4l2");
    }
    ~CapturedChoice() {
        card.reset();
        fs::remove_all(sysfs);
    }
    Headless h;
    FakeRadio radio;
    FakePorts ports;
    FakeOutput output;
    FakeCapture capture;
    fs::path sysfs;
    std::unique_ptr<LinuxCardPort> card;
    std::string why;
};

TEST(CapturedRadio, AutoPlaysTheCaptureOnTheReceiversOwnUsbDevice) {
    CapturedChoice c("auto");
    ASSERT_TRUE(c.card->open(c.why));
    EXPECT_EQ(c.capture.started, "FM Radio Analog Stereo");
    ASSERT_NE(c.output.playing, nullptr);
    EXPECT_TRUE(c.card->playsSound());
    EXPECT_EQ(c.card->description(), "radio receiver /dev/radio0, its sound from FM Radio Analog Stereo");
    c.card.reset();  // the capture and the output stop with the card
    EXPECT_EQ(c.capture.started, "");
    EXPECT_EQ(c.output.playing, nullptr);
}

TEST(CapturedRadio, NoneANamedDeviceAndAFailedCaptureAreHonoured) {
    CapturedChoice none("none");
    none.h.profile->writeString("Audio", "CAPTURE", "None");  // an analog line out: the receiver plays itself
    ASSERT_TRUE(none.card->open(none.why));
    EXPECT_EQ(none.capture.started, "");
    EXPECT_FALSE(none.card->playsSound());
    EXPECT_EQ(none.card->description(), "radio receiver /dev/radio0");

    CapturedChoice named("named");
    named.h.profile->writeString("Audio", "CAPTURE", "Built-in Audio Analog Stereo");
    ASSERT_TRUE(named.card->open(named.why));
    EXPECT_EQ(named.capture.started, "Built-in Audio Analog Stereo");

    CapturedChoice busy("busy");  // the tuner still works, silent
    busy.capture.refuse = true;
    ASSERT_TRUE(busy.card->open(busy.why));
    EXPECT_FALSE(busy.card->playsSound());
    EXPECT_EQ(busy.output.playing, nullptr);
    EXPECT_EQ(busy.card->description(), "radio receiver /dev/radio0");
}

// Mute silences the playback as well; the volume pulses step the receiver's
// own control where it has one, else the software level by 2 dB.
TEST(CapturedRadio, MuteActsOnThePlaybackAndTheVolumeWhereTheReceiverHasNone) {
    CapturedChoice withControl("control");
    ASSERT_TRUE(withControl.card->open(withControl.why));
    audio::AudioPlayer& played = *withControl.output.playing;
    Panel p(*withControl.card);
    p.tune(98.1f);
    EXPECT_FALSE(played.gain().muted());
    p.app.state.modeFlags |= MF_MUTED;
    p.tune(98.1f);
    EXPECT_TRUE(played.gain().muted());
    EXPECT_EQ(withControl.radio.mutes.back(), 1);
    const int level = played.gain().level();
    stepVolume(p.app, 0);  // up
    EXPECT_EQ(withControl.radio.volume, 6);
    EXPECT_EQ(played.gain().level(), level);

    CapturedChoice without("nocontrol");
    without.radio.hasVolume = false;
    ASSERT_TRUE(without.card->open(without.why));
    Panel q(*without.card);
    q.tune(98.1f);
    const int before = without.output.playing->gain().level();
    stepVolume(q.app, 1);  // down
    EXPECT_EQ(without.output.playing->gain().level(), before - 2);
    EXPECT_EQ(without.h.profile->readInt("Audio", "LEVEL", 0), before - 2);
}

// ---- RDS from a receiver that decodes it itself

synth::RdsProgramme fakeStation() {
    synth::RdsProgramme p;
    p.on = true;
    p.pi = 0xD2A1;
    p.pty = 24;  // Jazz Music
    p.tp = true;
    p.ta = true;
    p.names = {"FAKE FM "};
    p.texts = {"Caf\x82 du Jazz \x8D"};
    p.clock = true;
    p.mjd = 61381;  // 2026-12-07
    p.utcHour = 23;
    p.utcMinute = 30;
    p.offsetHalfHours = 2;
    return p;
}

// The receiver's blocks reach the panel's status through the card's own
// thread: name, UTF-8 text, PI, programme type, TP and TA, the clock as
// local time.
TEST(V4l2Rds, BlocksFromTheDriverBecomeTheStationInfo) {
    Choice c;
    c.radio.rds = true;
    c.h.profile->writeString("Card", "MODE", "v4l2");
    ASSERT_TRUE(c.open());
    Panel p(c.card);
    p.tune(98.1f);
    EXPECT_EQ(c.card.stationInfo().pi, -1);
    c.radio.sendRds(driverBlocks(synth::rdsGroups(fakeStation(), 30)));
    ASSERT_TRUE(within(std::chrono::seconds(2), [&] { return !c.card.stationInfo().text.empty(); }));
    const StationInfo info = c.card.stationInfo();
    EXPECT_EQ(info.name, "FAKE FM");
    EXPECT_EQ(info.text, "Café du Jazz ß");
    EXPECT_EQ(info.pi, 0xD2A1);
    EXPECT_EQ(info.pty, "Jazz Music");
    EXPECT_TRUE(info.flagsKnown);
    EXPECT_TRUE(info.tp);
    EXPECT_TRUE(info.ta);
    EXPECT_EQ(info.clock, "2026-12-08 00:30");
}

// A tuning empties the information before the call returns, and what the
// driver still holds of the old station is read and dropped: the old
// name never shows on the new frequency.
TEST(V4l2Rds, TuningEmptiesAtOnceAndDropsTheOldStationsBlocks) {
    Choice c;
    c.radio.rds = true;
    c.h.profile->writeString("Card", "MODE", "v4l2");
    ASSERT_TRUE(c.open());
    Panel p(c.card);
    p.tune(98.1f);
    const std::vector<v4l2_rds_data> old = driverBlocks(synth::rdsGroups(fakeStation(), 20));
    c.radio.sendRds(old);
    ASSERT_TRUE(within(std::chrono::seconds(2), [&] { return c.card.stationInfo().name == "FAKE FM"; }));
    c.radio.sendRds(old);  // still in the driver at the retune
    p.tune(101.3f);
    const StationInfo cleared = c.card.stationInfo();
    EXPECT_EQ(cleared.name, "");
    EXPECT_EQ(cleared.text, "");
    EXPECT_EQ(cleared.pi, -1);
    EXPECT_EQ(cleared.pty, "");
    EXPECT_FALSE(cleared.flagsKnown);
    EXPECT_EQ(cleared.clock, "");
    EXPECT_EQ(c.radio.rdsLeft(), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * rdsReadMilliseconds));
    EXPECT_EQ(c.card.stationInfo().name, "");

    synth::RdsProgramme next = fakeStation();
    next.pi = 0x5A5A;
    next.names = {"NEXT ONE"};
    c.radio.sendRds(driverBlocks(synth::rdsGroups(next, 20)));
    ASSERT_TRUE(within(std::chrono::seconds(2), [&] { return !c.card.stationInfo().name.empty(); }));
    EXPECT_EQ(c.card.stationInfo().name, "NEXT ONE");
    EXPECT_EQ(c.card.stationInfo().pi, 0x5A5A);
}

// The driver's flags: an error block's word is never used, a corrected one
// is, and a block the driver could not place counts as lost where the next
// one was due.
TEST(V4l2Rds, ErrorAndCorrectedFlagsAndUnplacedBlocks) {
    FakeRadio fake;
    fake.rds = true;
    V4l2Radio radio(fake, RadioSettings{});
    std::string why;
    ASSERT_TRUE(radio.open(why));
    ASSERT_TRUE(radio.hasRds());
    Panel p(radio);
    p.tune(98.1f);
    std::vector<v4l2_rds_data> blocks = driverBlocks(synth::rdsGroups(fakeStation(), 60));
    size_t corrected = 0, failed = 0, unplaced = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        v4l2_rds_data& b = blocks[i];
        if (i % 7 == 3) {  // garbled: a wrong name would show if it were used
            b.lsb ^= 0x5A;
            b.msb ^= 0x21;
            b.block |= V4L2_RDS_BLOCK_ERROR;
            ++failed;
        } else if (i % 11 == 5) {
            b.block |= V4L2_RDS_BLOCK_CORRECTED;
            ++corrected;
        } else if (i % 13 == 6) {
            b.block = V4L2_RDS_BLOCK_INVALID | V4L2_RDS_BLOCK_ERROR;
            ++unplaced;
        }
        fake.sendRds({b});
        radio.readRds();
        const std::string ps = radio.rds().ps;
        ASSERT_TRUE(ps.empty() || ps == "FAKE FM ") << ps;
    }
    const receiver::RdsState s = radio.rds();
    EXPECT_EQ(s.ps, "FAKE FM ");
    EXPECT_EQ(s.pi, 0xD2A1);
    EXPECT_EQ(s.blocksCorrected, corrected);
    EXPECT_EQ(s.blocksBad, failed + unplaced);
    EXPECT_EQ(s.blocksGood + s.blocksCorrected + s.blocksBad, blocks.size());
}

// A receiver without RDS capture is never read; the silent simulated card
// and the port card receive nothing either.
TEST(V4l2Rds, NothingWhereNoRdsComesIn) {
    Choice c;
    c.h.profile->writeString("Card", "MODE", "v4l2");
    ASSERT_TRUE(c.open());
    Panel p(c.card);
    p.tune(98.1f);
    c.radio.sendRds(driverBlocks(synth::rdsGroups(fakeStation(), 20)));
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * rdsReadMilliseconds));
    EXPECT_EQ(c.radio.rdsLeft(), 80u);
    EXPECT_EQ(c.card.stationInfo().pi, -1);

    Choice simulated;
    simulated.h.profile->writeString("Card", "MODE", "simulated");
    ASSERT_TRUE(simulated.open());
    EXPECT_EQ(simulated.card.stationInfo().name, "");
    EXPECT_EQ(simulated.card.stationInfo().pi, -1);
}

// Pulled out, the receiver's information goes with it.
TEST(V4l2Rds, PulledOutEmptiesTheInformation) {
    FakeRadio fake;
    fake.rds = true;
    V4l2Radio radio(fake, RadioSettings{});
    std::string why;
    ASSERT_TRUE(radio.open(why));
    Panel p(radio);
    p.tune(98.1f);
    fake.sendRds(driverBlocks(synth::rdsGroups(fakeStation(), 20)));
    radio.readRds();
    ASSERT_EQ(radio.rds().ps, "FAKE FM ");
    fake.present = false;
    radio.readRds();
    EXPECT_FALSE(radio.connected());
    EXPECT_EQ(radio.rds().ps, "");
    EXPECT_FALSE(radio.rds().piValid);
}

// Where the sound comes in on a capture device, the receiver's RDS still
// reaches the status.
TEST(CapturedRadio, StationInfoComesFromTheReceiver) {
    CapturedChoice c("rds");
    c.radio.rds = true;
    ASSERT_TRUE(c.card->open(c.why));
    Panel p(*c.card);
    p.tune(98.1f);
    c.radio.sendRds(driverBlocks(synth::rdsGroups(fakeStation(), 20)));
    ASSERT_TRUE(within(std::chrono::seconds(2), [&] { return c.card->stationInfo().name == "FAKE FM"; }));
}

}  // namespace
}  // namespace orv::linuxcard
