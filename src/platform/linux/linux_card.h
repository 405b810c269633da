// Which card the native program drives, from section "Card": the simulated
// card, the card's port through ioperm, a Video4Linux2 radio receiver or a
// software-defined radio through SoapySDR ("sdr"). "auto" takes the radio
// receiver when DEVICE opens as one, else an SDR when one answers to SDR,
// else the simulated card; it never takes the port, since a root process on
// a machine without the card would write to whatever sits at that address.
// The SDR and the simulated card make their own sound (when there is a
// sound output); the port card and a V4L2 receiver sound by themselves.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "audio/audio_player.h"
#include "platform/linux/iq_source.h"
#include "platform/linux/sdr_settings.h"
#include "platform/linux/radio_device.h"
#include "platform/linux/station_rds.h"
#include "platform/linux/v4l2_radio.h"
#include "platform/platform.h"
#include "tuner/card_mode.h"

namespace orv::linuxcard {

// The kernel interfaces the cards use; tests hand in fakes.
struct CardSystem {
    CardSystem(RadioDevice& r, PortInstructions& p) : radio(r), ports(p) {}
    RadioDevice& radio;
    PortInstructions& ports;
    // Where sound goes; null: the cards make none.
    audio::AudioOutput* sound = nullptr;
    // Where a USB receiver's sound comes in; null: it is not played.
    audio::AudioInput* capture = nullptr;
    // The sysfs tree in which a receiver's capture device is looked up.
    std::string sysfsRoot = "/sys";
    // Makes the SDR the settings name; empty: no SDR is looked for.
    std::function<std::unique_ptr<IqSource>(const SdrSettings&)> makeSdr;
    // The locale's territory, for DEEMPHASIS=auto ("US", "DE", ...).
    std::string territory;
};

// The locale's territory from LC_ALL, LC_MESSAGES and LANG.
std::string environmentTerritory();

// The card's port, opened when the core asks (after the window exists): it
// reads the settings then, opens the card they name, and forwards to it.
class LinuxCardPort : public Port {
public:
    LinuxCardPort(Profile& profile, CardSystem system) : profile_(profile), system_(std::move(system)) {}
    ~LinuxCardPort() override;
    LinuxCardPort(const LinuxCardPort&) = delete;
    LinuxCardPort& operator=(const LinuxCardPort&) = delete;
    bool open(std::string& whyNot) override;
    void writeByte(uint16_t port, uint8_t value) override;
    uint8_t readByte(uint16_t port) override;
    uint16_t readWord(uint16_t port) override;
    // What is in use, for the user: "simulated card", "radio receiver /dev/radio0",
    // "card's port 0x30C", "SDR driver=rtlsdr (Generic RTL2832U)"; empty before open.
    const std::string& description() const { return description_; }
    // The program itself makes the card's sound (an SDR, the simulated card
    // with sound, a USB receiver whose capture it plays).
    bool playsSound() const { return sounding_; }
    // The level of the sound the program plays, in dB; false where the
    // volume pulses go to the card or the receiver's own volume control.
    bool soundLevel(int& levelDb) const;
    // What the tuned station sends about itself over RDS, as the card in use
    // receives it; empty when nothing is known, and from the moment of a
    // tuning until the new station's RDS comes in. Any thread.
    StationInfo stationInfo() const;

private:
    bool openSdr(const SdrSettings& settings, bool named, std::string& whyNot);
    bool openRadio(const RadioSettings& settings, std::string& whyNot);
    std::string captureDeviceFor(const RadioSettings& settings);
    void openSimulated();
    bool startSound();
    void stopSound();
    // The card now in use: its RDS, where it has any (null: none).
    void useCard(std::unique_ptr<Port> card, const StationRds* rds);

    Profile& profile_;
    CardSystem system_;
    std::unique_ptr<audio::AudioPlayer> player_;
    bool sounding_ = false;  // the output pulls from player_
    bool capturing_ = false;  // the capture pushes into player_
    bool receiverVolume_ = false;  // the receiver steps a volume of its own
    std::unique_ptr<Port> card_;
    std::string description_;
    mutable std::mutex stationMutex_;
    const StationRds* stationRds_ = nullptr;  // within card_
};

}  // namespace orv::linuxcard
