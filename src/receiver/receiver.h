// The FM stereo receiver: IQ from the radio in, 48 kHz stereo audio and a
// station measurement out. Platform-neutral: the card code owns the radio,
// the threads and the sound queue.
//
// The chain: the hardware is tuned stationOffsetHz below the station; the
// IQ is mixed down by a fixed table, halved by half-band decimators to
// 256 kS/s, channel-filtered to +-100 kHz and FM-demodulated. The multiplex
// feeds the pilot loop (L-R on twice the pilot phase), both halves are
// decimated to 64 kS/s and resampled to 48 kHz, blended, matrixed to left
// and right, and de-emphasised. RDS comes off the same multiplex: the 57 kHz
// subcarrier on three times the pilot loop's phase.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "receiver/iq_input.h"
#include "receiver/rds_decoder.h"
#include "receiver/station_meter.h"

namespace orv::receiver {

constexpr double europeDeemphasisSeconds = 50e-6;
constexpr double americaDeemphasisSeconds = 75e-6;

// North American stations (75 us) name their programme types from their own table.
PtyTable ptyTableFor(double deemphasisSeconds);

struct ReceiverConfig {
    double inputRate = 2048000.0;  // 2.048 or 1.024 MS/s
    double deemphasisSeconds = europeDeemphasisSeconds;
    bool stereo = true;
    uint16_t threshold = defaultThreshold;
    bool rds = true;  // false: no RDS decoding (measurements of what it costs)
};

class Receiver {
public:
    static constexpr double outputRate = 48000.0;
    static constexpr double channelRate = 256000.0;
    static constexpr double audioRate = 64000.0;
    // Measurements start this long after a retune and cover this long:
    // the first answer stands after 84 ms of samples.
    static constexpr double settleSeconds = 0.004;
    static constexpr double windowSeconds = 0.080;

    explicit Receiver(const ReceiverConfig& config);
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // Says the tuning changed; any thread. Blocks read under another
    // generation are dropped from now on, the next block of this one starts
    // from reset filters and loop, and the measurement reads not-ready until
    // a window of the new tuning is complete.
    void retune(uint32_t generation);

    // Demodulates count I,Q pairs read under `generation`; appends
    // interleaved left,right frames at 48 kHz (times the trim) to audio.
    // Returns the frames appended (0 for a stale block).
    size_t process(const void* iq, size_t count, IqFormat format, uint32_t generation,
                   std::vector<float>& audio);

    // Output rate 48 kHz times (1 + trim), from a RateController. Call from
    // the thread that calls process().
    void setRateTrim(double trim);
    // Also chooses the programme type names (see ptyTableFor).
    void setDeemphasis(double seconds);
    // Any thread.
    void setStereo(bool stereo);
    void setThreshold(uint16_t threshold);

    // The latest measurement of the current tuning; any thread.
    Measurement measurement() const;
    // What RDS has given on the current tuning; any thread. Empty from the
    // moment of a retune.
    RdsState rds() const;
    // The blend the audio uses now (0 mono .. 1 stereo); the processing
    // thread's view (other threads read Measurement::blend).
    double blend() const;

private:
    struct Chain;
    void processPiece(const uint8_t* iq, size_t count, IqFormat format, std::vector<float>& audio);
    void endOfChunk();

    double inputRate_;
    size_t chunkSize_;
    std::atomic<uint32_t> wantedGeneration_;
    std::atomic<bool> resetPending_;
    std::atomic<bool> stereo_;
    std::atomic<uint16_t> threshold_;
    bool rds_;
    uint32_t generation_ = 0;
    MeasurementBox box_;
    RdsBox rdsBox_;
    std::unique_ptr<Chain> chain_;
};

}  // namespace orv::receiver
