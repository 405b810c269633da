// The threads that make a playing card sound: a reader thread that keeps the
// device tuned and read (and opens it again when it went away and came
// back) and a processing thread that runs the receiver and feeds the sound
// queue. The panel's thread only asks for tunings and reads measurements;
// it never waits on either thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_queue.h"
#include "audio/joints.h"
#include "platform/linux/iq_source.h"
#include "receiver/receiver.h"
#include "receiver/resampler.h"

namespace orv::linuxcard {

struct PlayerConfig {
    double deemphasisSeconds = receiver::europeDeemphasisSeconds;
    bool stereo = true;
    uint16_t threshold = receiver::defaultThreshold;
};

// After a retune the device still hands over what it captured at the old
// frequency (the driver's buffers in flight); this much is dropped.
constexpr double staleSeconds = 0.024;
// How often a device that went away is looked for again.
constexpr double reopenSeconds = 1.0;
// I,Q pairs a read asks for: 4 ms at 1.024 MS/s, so that a retune reaches the
// device soon after the panel asked for it.
constexpr size_t blockPairs = 4096;

class IqPlayer {
public:
    // sound: where the audio goes; null when there is no sound output (the
    // receiver still measures, for the lamp and seek).
    IqPlayer(IqSource& source, audio::AudioQueue* sound, const PlayerConfig& config);
    ~IqPlayer();
    IqPlayer(const IqPlayer&) = delete;
    IqPlayer& operator=(const IqPlayer&) = delete;

    // Starts the threads; sourceOpen says whether the source is open already
    // (else the reader keeps trying to open it).
    void start(bool sourceOpen);
    // Any thread: tunes to the station frequency; measurements of earlier
    // tunings are never answered from now on.
    void tune(double stationHz);
    // The latest measurement of the latest tuning; not ready while the
    // device is away or no full window of the tuning is in yet.
    receiver::Measurement measurement() const;
    // What RDS has given on the latest tuning; empty from the moment of a
    // tuning and while the device is away. Any thread.
    receiver::RdsState rds() const;
    uint32_t generation() const;
    bool connected() const { return connected_.load(); }

private:
    struct Block {
        std::vector<uint8_t> data;
        size_t pairs = 0;
        uint32_t generation = 0;
        bool silent = false;  // stands for time only: dropped samples
    };
    void readLoop();
    void processLoop();
    bool reconnect();
    void lose();
    void retuneLocked();
    void hand(Block&& block);
    bool takeBlock(Block& block);

    IqSource& source_;
    audio::AudioQueue* sound_;
    receiver::Receiver receiver_;
    receiver::RateController rate_;
    double sampleRate_;
    size_t pairBytes_;

    mutable std::mutex tuningMutex_;
    double stationHz_ = 0.0;
    uint32_t generation_ = 1;

    std::mutex blocksMutex_;
    std::condition_variable blocksReady_;
    std::deque<Block> blocks_;

    std::atomic<bool> running_{false};
    std::atomic<bool> connected_{false};
    std::thread reader_, processor_;
};

}  // namespace orv::linuxcard
