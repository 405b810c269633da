// Cards whose sound the program makes itself: a software-defined radio
// (SdrCard) and the simulated card with its band synthesized (SoundingSimulatedCard).
// Both decode the panel's port operations as the card would: a transfer
// tunes the receiver, the sound line and control byte mute it, and each
// volume pulse steps the software level by 2 dB, kept in [Audio] LEVEL.
#pragma once

#include <memory>
#include <string>

#include "audio/audio_player.h"
#include "platform/linux/iq_player.h"
#include "platform/linux/iq_source.h"
#include "platform/linux/sdr_settings.h"
#include "platform/linux/station_rds.h"
#include "platform/linux/v4l2_radio.h"
#include "platform/platform.h"
#include "tuner/serial_decoder.h"
#include "tuner/simulated_card.h"

namespace orv::linuxcard {

// The panel's mute and volume applied to the sound: the level comes from
// [Audio] LEVEL and is written back whenever a pulse changes it.
class PanelSound {
public:
    PanelSound(Profile& profile, audio::AudioPlayer* player);
    // After each port write: follows the mute state and the volume pulses.
    void follow(const SerialDecoder& decoder, const SerialDecoder::Events& events);
    int level() const { return level_; }
    // The pulses step the receiver's own volume control instead of the
    // software level (which then stays as [Audio] LEVEL has it).
    void leaveVolumeToReceiver() { receiverVolume_ = true; }

private:
    Profile& profile_;
    audio::AudioPlayer* player_;
    int level_;
    bool receiverVolume_ = false;
};

// A USB radio receiver whose sound the program plays from its capture
// device: the receiver tunes (and steps its own volume, where it has a
// volume control); the panel's mute, and the volume where the receiver has
// no control, act on the playback.
class CapturedRadio : public Port, public StationRds {
public:
    // radio: opened already; player: the playback the capture feeds.
    CapturedRadio(std::unique_ptr<V4l2Radio> radio, audio::AudioPlayer& player, Profile& profile);
    void writeByte(uint16_t port, uint8_t value) override;
    uint8_t readByte(uint16_t port) override { return radio_->readByte(port); }
    uint16_t readWord(uint16_t port) override { return radio_->readWord(port); }
    receiver::RdsState rds() const override { return radio_->rds(); }

private:
    std::unique_ptr<V4l2Radio> radio_;
    SerialDecoder decoder_;
    PanelSound sound_;
};

// The station frequency the panel's last transfer names, in Hz.
double stationHzOf(const SerialDecoder& decoder);

class SdrCard : public Port, public StationRds {
public:
    // player: null when there is no sound output.
    SdrCard(std::unique_ptr<IqSource> source, audio::AudioPlayer* player, Profile& profile,
            const SdrSettings& settings);
    ~SdrCard() override;

    // Opens the device; whyNot says that none answers to the settings.
    bool open(std::string& whyNot) override;
    void writeByte(uint16_t port, uint8_t value) override;
    // While probing: 0xFD when the latest measurement of the latest tuning
    // found a station, else 0xFF (also before that measurement is in).
    uint8_t readByte(uint16_t port) override;
    uint16_t readWord(uint16_t port) override;

    // "SDR driver=rtlsdr (Generic RTL2832U)".
    std::string description() const;
    const IqPlayer& player() const { return *player_; }
    receiver::RdsState rds() const override { return player_->rds(); }

private:
    std::unique_ptr<IqSource> source_;
    SdrSettings settings_;
    std::string label_;
    SerialDecoder decoder_;
    PanelSound sound_;
    std::unique_ptr<IqPlayer> player_;
};

// The simulated card as it always was (its trace, its probe answers), and
// beside it its stations synthesized and played through the same receiver.
class SoundingSimulatedCard : public Port, public StationRds {
public:
    SoundingSimulatedCard(const SimulatorConfig& config, std::unique_ptr<IqSource> band,
                          audio::AudioPlayer& player, Profile& profile, double deemphasisSeconds);
    ~SoundingSimulatedCard() override;
    void writeByte(uint16_t port, uint8_t value) override;
    uint8_t readByte(uint16_t port) override { return card_.readByte(port); }
    uint16_t readWord(uint16_t port) override { return card_.readWord(port); }
    // What the band's station sends, as our receiver decodes it from the band.
    receiver::RdsState rds() const override { return player_->rds(); }

private:
    SimulatedCard card_;
    std::unique_ptr<IqSource> band_;
    SerialDecoder decoder_;
    PanelSound sound_;
    std::unique_ptr<IqPlayer> player_;
};

}  // namespace orv::linuxcard
