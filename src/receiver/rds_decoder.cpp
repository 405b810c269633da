#include "receiver/rds_decoder.h"

namespace orv::receiver {

RdsDecoder::RdsDecoder(double sampleRate, PtyTable table) : demodulator_(sampleRate), groups_(table) {}

void RdsDecoder::reset() {
    demodulator_.reset();
    sync_.reset();
    groups_.reset();
    changed_ = true;
}

void RdsDecoder::process(const float* mpx, const Complex* pilot, size_t n, bool pilotLocked) {
    bits_.clear();
    demodulator_.process(mpx, pilot, n, pilotLocked, bits_);
    const bool wasSynchronized = sync_.synchronized();
    for (uint8_t bit : bits_) {
        blocks_.clear();
        sync_.pushBit(bit, blocks_);
        for (const ReceivedBlock& b : blocks_) groups_.feed(b.info, b.offset, b.error);
        if (!blocks_.empty()) changed_ = true;
        groups_.setSynchronized(sync_.synchronized());
    }
    if (sync_.synchronized() != wasSynchronized) changed_ = true;
}

bool RdsDecoder::takeChanged() {
    const bool c = changed_;
    changed_ = false;
    return c;
}

void RdsBox::restart(uint32_t generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    value_ = RdsState{};
    value_.generation = generation;
}

bool RdsBox::publish(const RdsState& s) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (s.generation != value_.generation) return false;
    value_ = s;
    return true;
}

RdsState RdsBox::read() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return value_;
}

}  // namespace orv::receiver
