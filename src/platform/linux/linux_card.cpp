#include "platform/linux/linux_card.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/linux/capture_finder.h"
#include "platform/linux/ioperm_port.h"
#include "platform/linux/playing_card.h"
#include "platform/linux/synth_source.h"
#include "platform/linux/v4l2_radio.h"
#include "settings/settings.h"
#include "tuner/simulated_card.h"

namespace orv::linuxcard {

namespace {

constexpr size_t deviceChars = 4096;
constexpr int maxSignal = 65535;

RadioSettings readRadioSettings(Profile& profile) {
    RadioSettings settings;
    const std::string device = profile.readText("Card", "DEVICE", "", deviceChars);
    if (!device.empty()) settings.device = device;
    const int threshold = profile.readInt("Card", "THRESHOLD", defaultSignalThreshold);
    settings.signalThreshold = threshold < 0 ? 0 : threshold > maxSignal ? maxSignal : threshold;
    return settings;
}

// Ports below 0x100 belong to the system board (timer, DMA, interrupt
// controllers); no card sits there, and writing to them can hang the machine.
constexpr uint16_t firstCardPort = 0x100;

// The port address the core will use: "SYSTEM"/ADDR in hexadecimal, as the core reads it.
uint16_t readPortAddress(Profile& profile) {
    return uint16_t(parseHex(profile.readString("SYSTEM", "ADDR", "30C").c_str()) & 0xFFFF);
}

constexpr size_t modeChars = 16;

// "sdr" is a mode of the native program only: the core's reading of MODE
// (shared with the Windows program) knows nothing of it.
bool namesSdr(Profile& profile) {
    std::string mode = profile.readText("Card", "MODE", "", modeChars);
    std::string lower;
    for (char c : mode)
        if (c != ' ' && c != '\t') lower += char(std::tolower(static_cast<unsigned char>(c)));
    return lower == "sdr";
}

}  // namespace

std::string environmentTerritory() {
    return localeTerritory(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

// The output stops first, so that the card's threads stopping do not count
// as the sound running dry.
LinuxCardPort::~LinuxCardPort() {
    stopSound();
    useCard(nullptr, nullptr);
}

namespace {
// Broadcast text without the spaces that pad it to its field.
std::string withoutPadding(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}
}  // namespace

StationInfo stationInfoFrom(const receiver::RdsState& rds) {
    StationInfo info;
    info.name = withoutPadding(rds.ps);
    info.text = withoutPadding(rds.text);
    info.pi = rds.piValid ? int(rds.pi) : -1;
    if (rds.ptyValid) {
        info.pty = rds.ptyName;
        info.flagsKnown = true;
        info.tp = rds.tp;
        info.ta = rds.ta;
    }
    if (rds.clock.valid) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", rds.clock.year, rds.clock.month, rds.clock.day,
                      rds.clock.hour, rds.clock.minute);
        info.clock = text;
    }
    return info;
}

StationInfo LinuxCardPort::stationInfo() const {
    std::lock_guard<std::mutex> lock(stationMutex_);
    return stationRds_ ? stationInfoFrom(stationRds_->rds()) : StationInfo{};
}

void LinuxCardPort::useCard(std::unique_ptr<Port> card, const StationRds* rds) {
    std::lock_guard<std::mutex> lock(stationMutex_);
    card_ = std::move(card);
    stationRds_ = rds;
}

bool LinuxCardPort::startSound() {
    if (!player_ || !system_.sound) return false;
    std::string why;
    if (!system_.sound->start(*player_, why)) {
        std::fprintf(stderr, "orvanta: no sound: %s\n", why.c_str());
        return false;
    }
    sounding_ = true;
    return true;
}

// Stops the capture and the output, and says how often the sound ran dry or over.
void LinuxCardPort::stopSound() {
    if (capturing_) system_.capture->stop();
    capturing_ = false;
    if (!sounding_) return;
    system_.sound->stop();
    sounding_ = false;
    const uint64_t under = player_->queue().underruns(), over = player_->queue().overruns();
    if (under || over)
        std::fprintf(stderr, "orvanta: sound: %llu underruns, %llu overruns\n", (unsigned long long)under,
                     (unsigned long long)over);
}

// The SDR the settings name; when it is named (MODE=sdr) and does not
// answer, whyNot says so and nothing is kept.
bool LinuxCardPort::openSdr(const SdrSettings& settings, bool named, std::string& whyNot) {
    if (!system_.makeSdr) {
        if (named) whyNot = noSdrMessage(settings.args);
        return false;
    }
    // Without a driver named, asking would enumerate every installed module.
    if (driverOf(settings.args).empty()) {
        if (named) whyNot = noSdrMessage(settings.args);
        return false;
    }
    player_ = std::make_unique<audio::AudioPlayer>();
    auto card = std::make_unique<SdrCard>(system_.makeSdr(settings), player_.get(), profile_, settings);
    if (!card->open(whyNot)) {
        card.reset();
        player_.reset();
        return false;
    }
    description_ = card->description();
    const StationRds* rds = card.get();
    useCard(std::move(card), rds);
    startSound();
    return true;
}

// The simulated card; with a sound output its band plays too.
void LinuxCardPort::openSimulated() {
    description_ = "simulated card";
    const SimulatorConfig config = readSimulatorConfig(profile_);
    if (system_.sound) {
        player_ = std::make_unique<audio::AudioPlayer>();
        if (startSound()) {
            const double deemphasis = readSdrSettings(profile_, system_.territory).deemphasisSeconds;
            auto card = std::make_unique<SoundingSimulatedCard>(
                config, std::make_unique<SynthSource>(config.stationsMHz, deemphasis), *player_, profile_, deemphasis);
            const StationRds* rds = card.get();
            useCard(std::move(card), rds);
            return;
        }
        player_.reset();
    }
    // Silent, the simulated card receives nothing: no station information.
    useCard(std::make_unique<SimulatedCard>(config), nullptr);
}

// The capture device that carries a V4L2 receiver's sound: [Audio] CAPTURE
// names one, "none" says the receiver plays by itself (an analog line out),
// and "auto" (the default) takes the capture PCM on the receiver's own USB
// device; "" where there is none.
std::string LinuxCardPort::captureDeviceFor(const RadioSettings& settings) {
    if (!system_.capture || !system_.sound) return "";
    std::string wanted = profile_.readText("Audio", "CAPTURE", "auto", deviceChars);
    std::string lower;
    for (char c : wanted) lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "none") return "";
    if (lower != "auto" && !wanted.empty()) return wanted;
    const std::optional<RadioCapture> found = findRadioCapture(settings.device, system_.sysfsRoot);
    if (!found) return "";
    const std::vector<std::string> names = system_.capture->deviceNames();
    const int at = matchCaptureDevice(*found, names);
    return at < 0 ? "" : names[size_t(at)];
}

// The V4L2 receiver the settings name, and, where its sound comes in on a
// capture device, that sound played.
bool LinuxCardPort::openRadio(const RadioSettings& settings, std::string& whyNot) {
    auto radio = std::make_unique<V4l2Radio>(system_.radio, settings);
    if (!radio->open(whyNot)) return false;
    description_ = "radio receiver " + settings.device;
    const std::string capture = captureDeviceFor(settings);
    if (!capture.empty()) {
        player_ = std::make_unique<audio::AudioPlayer>();
        std::string why;
        if (startSound()) {
            if (system_.capture->start(capture, *player_, why)) {
                capturing_ = true;
                receiverVolume_ = radio->hasVolume();
                auto card = std::make_unique<CapturedRadio>(std::move(radio), *player_, profile_);
                const StationRds* rds = card.get();
                useCard(std::move(card), rds);
                description_ += ", its sound from " + capture;
                return true;
            }
            std::fprintf(stderr, "orvanta: no sound from the receiver's capture device %s: %s\n", capture.c_str(),
                         why.c_str());
        }
        stopSound();
        player_.reset();
    }
    const StationRds* rds = radio.get();
    useCard(std::move(radio), rds);
    return true;
}

bool LinuxCardPort::soundLevel(int& levelDb) const {
    if (!player_ || !sounding_ || receiverVolume_) return false;
    levelDb = player_->gain().level();
    return true;
}

bool LinuxCardPort::open(std::string& whyNot) {
    if (card_) return true;
    if (namesSdr(profile_)) return openSdr(readSdrSettings(profile_, system_.territory), true, whyNot);
    const CardMode mode = readCardMode(profile_);
    if (mode == CardMode::Port) {
        const uint16_t address = readPortAddress(profile_);
        if (address < firstCardPort) {
            whyNot = "No port access to " + portName(address) + ": that port belongs to the system board; set [SYSTEM] ADDR to the card's port";
            return false;
        }
        auto port = std::make_unique<IopermPort>(system_.ports, address);
        if (!port->open(whyNot)) return false;
        useCard(std::move(port), nullptr);
        description_ = "card's port " + portName(address);
        return true;
    }
    if (mode == CardMode::V4l2 || mode == CardMode::Auto) {
        const RadioSettings settings = readRadioSettings(profile_);
        std::string why;
        if (openRadio(settings, why)) return true;
        if (mode == CardMode::V4l2) {
            whyNot = why;
            return false;
        }
    }
    std::string why;
    if (mode == CardMode::Auto && openSdr(readSdrSettings(profile_, system_.territory), false, why)) return true;
    openSimulated();
    return true;
}

void LinuxCardPort::writeByte(uint16_t port, uint8_t value) {
    if (card_) card_->writeByte(port, value);
}

uint8_t LinuxCardPort::readByte(uint16_t port) { return card_ ? card_->readByte(port) : 0xFF; }

uint16_t LinuxCardPort::readWord(uint16_t port) { return card_ ? card_->readWord(port) : 0xFFFF; }

}  // namespace orv::linuxcard
