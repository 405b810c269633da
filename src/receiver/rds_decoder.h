// RDS from the multiplex to station data: demodulator, block synchroniser
// and group decoder in one, and the locked copy other threads read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "receiver/rds_blocks.h"
#include "receiver/rds_demod.h"
#include "receiver/rds_groups.h"

namespace orv::receiver {

class RdsDecoder {
public:
    RdsDecoder(double sampleRate, PtyTable table);
    void reset();
    void setPtyTable(PtyTable table) { groups_.setPtyTable(table); }
    // n multiplex samples with the pilot loop's phasor for each (see RdsDemodulator).
    void process(const float* mpx, const Complex* pilot, size_t n, bool pilotLocked);
    const RdsState& state() const { return groups_.state(); }
    // True once after anything in the state changed.
    bool takeChanged();

private:
    RdsDemodulator demodulator_;
    BlockSync sync_;
    RdsGroupDecoder groups_;
    std::vector<uint8_t> bits_;
    std::vector<ReceivedBlock> blocks_;
    bool changed_ = false;
};

// A locked copy of the latest RDS state; restart() belongs to a retune and
// empties it at once.
class RdsBox {
public:
    void restart(uint32_t generation);
    // False (and ignored) when s is of another generation than the latest restart.
    bool publish(const RdsState& s);
    RdsState read() const;

private:
    mutable std::mutex mutex_;
    RdsState value_;
};

}  // namespace orv::receiver
