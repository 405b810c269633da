// A Video4Linux2 radio receiver behind the card's port: the core's 24-bit
// transfers, volume pulses and status probes, decoded as the card would,
// become frequency, mute and volume settings of the device, and its signal
// strength answers the probe. A receiver that decodes RDS hands over its
// blocks on read(); a small thread reads them and decodes the groups.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/linux/radio_device.h"
#include "platform/linux/station_rds.h"
#include "platform/platform.h"
#include "receiver/rds_groups.h"
#include "tuner/serial_decoder.h"

namespace orv::linuxcard {

// A signal strength of at least a quarter of full scale counts as a station.
// Drivers report 0..65535: some only 0 or 65535 (tuned or not), others a
// received level (si470x: 873 per dBuV, so a quarter is about 19 dBuV, a
// station that plays cleanly), so a quarter stops a seek on stations worth
// hearing and not on noise.
constexpr int defaultSignalThreshold = 16384;

struct RadioSettings {
    std::string device = "/dev/radio0";       // "Card"/DEVICE
    int signalThreshold = defaultSignalThreshold;  // "Card"/THRESHOLD, 0..65535
};

// How often the RDS thread asks for blocks: about two come in meanwhile
// (1187.5 bit/s, 26 bits a block); drivers keep many more.
constexpr int rdsReadMilliseconds = 50;

class V4l2Radio : public Port, public StationRds {
public:
    V4l2Radio(RadioDevice& device, RadioSettings settings);
    ~V4l2Radio() override;
    V4l2Radio(const V4l2Radio&) = delete;
    V4l2Radio& operator=(const V4l2Radio&) = delete;

    // Opens the device and checks that it is a radio tuner; whyNot says why not.
    bool open(std::string& whyNot) override;
    // A complete transfer tunes and mutes the device; a volume pulse steps its volume.
    void writeByte(uint16_t port, uint8_t value) override;
    // 0xFD (status line low) while probing and the device hears a station, else 0xFF.
    uint8_t readByte(uint16_t port) override;
    // 0xFFFF: nothing answers word reads.
    uint16_t readWord(uint16_t port) override;

    // The device is open (false after it went away, until it is back).
    bool connected() const;
    // The device has a volume control of its own (learnt when it opened).
    bool hasVolume() const { return hasVolume_; }
    // The device hands over RDS blocks (learnt when it opened).
    bool hasRds() const { return hasRds_.load(); }
    // What the station's RDS said since the latest tuning; any thread.
    receiver::RdsState rds() const override;
    // Reads and decodes the RDS blocks waiting in the driver (the RDS thread
    // does this every rdsReadMilliseconds).
    void readRds();

private:
    bool connect(std::string* whyNot);
    void disconnect();
    // ioctl on the open device; a device that went away is closed.
    bool call(unsigned long request, void* arg);
    bool reachDevice();
    void applyTuning();
    void stepVolume(int direction);
    bool hearsStation();
    void startRds();
    void stopRds();
    void rdsLoop();
    void restartRds();
    // Reads whatever RDS blocks wait in the driver; keep: feed them to the decoder.
    void takeRdsBlocks(bool keep);

    // Every use of the descriptor, from the panel's thread and the RDS thread.
    mutable std::recursive_mutex deviceMutex_;
    RadioDevice& device_;
    RadioSettings settings_;
    SerialDecoder decoder_;
    int fd_ = -1;
    bool lowUnits_ = false;  // frequencies in 62.5 Hz, else 62.5 kHz
    uint32_t rangeLow_ = 0, rangeHigh_ = 0;
    bool hasMute_ = false, hasVolume_ = false;
    int volumeMin_ = 0, volumeMax_ = 0, volumeStep_ = 1;

    std::atomic<bool> hasRds_{false};
    mutable std::mutex rdsMutex_;
    receiver::RdsGroupDecoder rdsDecoder_;
    int rdsNextPosition_ = 0;  // where a block the driver could not place goes
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool rdsRunning_ = false;
    std::thread rdsThread_;
};

// Frequency in the tuner's unit (62.5 Hz when lowUnits, else 62.5 kHz),
// rounded, within low..high.
uint32_t tunerUnits(double mhz, bool lowUnits, uint32_t low, uint32_t high);

}  // namespace orv::linuxcard
