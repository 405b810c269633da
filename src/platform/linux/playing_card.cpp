#include "platform/linux/playing_card.h"

#include <cmath>
#include <cstdio>

namespace orv::linuxcard {

namespace {

constexpr uint8_t statusSignal = 0xFD;  // the status line pulled low
constexpr uint8_t statusNone = 0xFF;
constexpr uint16_t wordNone = 0xFFFF;
constexpr double hzPerMHz = 1e6;

void writeLevel(Profile& profile, int level) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", level);
    profile.writeString("Audio", "LEVEL", text);
}

PlayerConfig playerConfig(const SdrSettings& s) {
    PlayerConfig c;
    c.deemphasisSeconds = s.deemphasisSeconds;
    c.stereo = s.stereo;
    c.threshold = s.threshold;
    return c;
}

}  // namespace

double stationHzOf(const SerialDecoder& decoder) { return std::round(decoder.frequencyMHz() * hzPerMHz); }

PanelSound::PanelSound(Profile& profile, audio::AudioPlayer* player)
    : profile_(profile), player_(player),
      level_(audio::clampedLevel(profile.readInt("Audio", "LEVEL", audio::defaultLevelDb))) {
    if (player_) player_->gain().setLevel(level_);
}

void PanelSound::follow(const SerialDecoder& decoder, const SerialDecoder::Events& events) {
    if (player_) player_->gain().setMuted(decoder.muted());
    if (receiverVolume_ || (!events.volumeUp && !events.volumeDown)) return;
    const int level = audio::steppedLevel(level_, events.volumeUp ? +1 : -1);
    if (level == level_) return;
    level_ = level;
    if (player_) player_->gain().setLevel(level_);
    writeLevel(profile_, level_);
}

CapturedRadio::CapturedRadio(std::unique_ptr<V4l2Radio> radio, audio::AudioPlayer& player, Profile& profile)
    : radio_(std::move(radio)), sound_(profile, &player) {
    if (radio_->hasVolume()) sound_.leaveVolumeToReceiver();
    player.gain().setMuted(true);  // until the panel's first transfer
}

void CapturedRadio::writeByte(uint16_t port, uint8_t value) {
    radio_->writeByte(port, value);
    sound_.follow(decoder_, decoder_.write(value));
}

SdrCard::SdrCard(std::unique_ptr<IqSource> source, audio::AudioPlayer* player, Profile& profile,
                 const SdrSettings& settings)
    : source_(std::move(source)), settings_(settings), sound_(profile, player),
      player_(std::make_unique<IqPlayer>(*source_, player ? &player->queue() : nullptr, playerConfig(settings))) {
    if (player) player->gain().setMuted(true);  // until the panel's first transfer
}

SdrCard::~SdrCard() { player_.reset(); }

bool SdrCard::open(std::string& whyNot) {
    std::string why;
    if (!source_->open(why)) {
        whyNot = noSdrMessage(settings_.args);
        return false;
    }
    label_ = source_->label();
    player_->start(true);
    return true;
}

std::string SdrCard::description() const {
    return "SDR " + settings_.args + (label_.empty() ? "" : " (" + label_ + ")");
}

void SdrCard::writeByte(uint16_t, uint8_t value) {
    const SerialDecoder::Events events = decoder_.write(value);
    if (events.transfer) player_->tune(stationHzOf(decoder_));
    sound_.follow(decoder_, events);
}

uint8_t SdrCard::readByte(uint16_t) {
    if (!decoder_.probing()) return statusNone;
    const receiver::Measurement m = player_->measurement();
    return m.ready && m.signal ? statusSignal : statusNone;
}

uint16_t SdrCard::readWord(uint16_t) { return wordNone; }

SoundingSimulatedCard::SoundingSimulatedCard(const SimulatorConfig& config, std::unique_ptr<IqSource> band,
                                             audio::AudioPlayer& player, Profile& profile, double deemphasisSeconds)
    : card_(config), band_(std::move(band)), sound_(profile, &player) {
    PlayerConfig c;
    c.deemphasisSeconds = deemphasisSeconds;
    player.gain().setMuted(true);  // until the panel's first transfer
    player_ = std::make_unique<IqPlayer>(*band_, &player.queue(), c);
    std::string why;
    player_->start(band_->open(why));
}

SoundingSimulatedCard::~SoundingSimulatedCard() { player_.reset(); }

void SoundingSimulatedCard::writeByte(uint16_t port, uint8_t value) {
    card_.writeByte(port, value);
    const SerialDecoder::Events events = decoder_.write(value);
    if (events.transfer) player_->tune(stationHzOf(decoder_));
    sound_.follow(decoder_, events);
}

}  // namespace orv::linuxcard
