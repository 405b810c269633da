// RDS groups to station data: PI, the programme service name, radio text,
// programme type, traffic flags and clock time. Blocks come from our own
// demodulator or from a receiver that decodes RDS itself; either way one
// block at a time with its place in the group and how it was received.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "receiver/rds_blocks.h"

namespace orv::receiver {

// Programme type names: the European table, or the North American one
// (stations there use 75 us de-emphasis).
enum class PtyTable : uint8_t { Europe, NorthAmerica };
const char* ptyName(int code, PtyTable table);

// Clock time as the station's local time.
struct RdsClock {
    bool valid = false;
    int year = 0, month = 0, day = 0;  // month and day from 1
    int hour = 0, minute = 0;
    int offsetMinutes = 0;             // local time minus UTC
};

// The station's modified Julian day, UTC hour and minute and local offset
// in half hours, as local date and time. Invalid when a field is out of range.
RdsClock localClock(uint32_t mjd, int utcHour, int utcMinute, int offsetHalfHours);

// What has been decoded on the current tuning.
struct RdsState {
    uint32_t generation = 0;       // the tuning it belongs to
    bool synchronized = false;     // blocks are being found in the signal
    bool piValid = false;
    uint16_t pi = 0;
    std::string ps;                // UTF-8; empty until a whole name was confirmed
    std::string text;              // UTF-8 radio text; empty until a whole message was received
    bool ptyValid = false;
    uint8_t pty = 0;
    const char* ptyName = "";
    bool tp = false, ta = false;
    RdsClock clock;
    uint64_t blocksGood = 0, blocksCorrected = 0, blocksBad = 0;
};

class RdsGroupDecoder {
public:
    explicit RdsGroupDecoder(PtyTable table = PtyTable::Europe);
    void setPtyTable(PtyTable table);
    // Forgets everything (a new tuning).
    void reset();
    // One block: its information word, the offset it came with (or the place
    // it was expected at when it failed) and how it was received.
    void feed(uint16_t info, BlockOffset offset, BlockError error);
    const RdsState& state() const { return state_; }
    void setSynchronized(bool synchronized) { state_.synchronized = synchronized; }

private:
    void decodeGroup();
    void takePi(uint16_t pi);
    void takeTypeAndFlags(uint16_t b);
    void takePsSegment(int segment, uint16_t characters);
    void takeTextPair(int pair, uint16_t characters, bool versionB, int flag);
    void publishTextIfComplete();
    void takeClock(uint16_t b, uint16_t c, uint16_t d);

    static constexpr int psLength = 8;
    static constexpr int psSegments = 4;
    static constexpr int textLength = 64;
    static constexpr int textPairs = textLength / 2;

    PtyTable table_;
    RdsState state_;

    std::array<uint16_t, 4> blocks_{};
    std::array<bool, 4> have_{};
    BlockOffset thirdOffset_ = BlockOffset::C;
    int lastPosition_ = -1;

    int piCandidate_ = -1;
    int typeCandidate_ = -1;  // PTY and TP as last seen, confirmed by a second sighting

    std::array<uint8_t, psLength> psCandidate_{};
    std::array<int, psSegments> psCount_{};  // same receptions since the last change anywhere
    unsigned psSeen_ = 0;                    // one bit a segment received since the reset

    std::array<uint8_t, textLength> text_{};
    uint32_t textReceived_ = 0;  // one bit a pair of characters
    int textFlag_ = -1;          // the A/B flag, -1 before the first text group
    int textVersion_ = -1;       // 2A: 64 characters, 2B: 32
};

}  // namespace orv::receiver
