#include "receiver/rds_blocks.h"

#include <array>
#include <bitset>

namespace orv::receiver {

namespace {

constexpr int positionsPerGroup = 4;
// Searching: a second offset word at most this many blocks after the first.
constexpr int maxSyncSpanBlocks = 6;
// In sync: lost when this many of the latest blocks failed.
constexpr int lossWindowBlocks = 16;
constexpr int lossFailures = 8;
constexpr uint32_t lossWindowMask = (1u << lossWindowBlocks) - 1;

constexpr BlockOffset allOffsets[] = {BlockOffset::A, BlockOffset::B, BlockOffset::C, BlockOffset::CPrime,
                                      BlockOffset::D};

// Syndrome to the burst that makes it (0: none), for bursts of up to two bits.
struct BurstTable {
    BurstTable() {
        patterns.fill(0);
        for (int length = 1; length <= rdsCorrectableBurst; ++length) {
            const uint32_t burst = (1u << length) - 1;
            for (int shift = 0; shift + length <= rdsBlockBits; ++shift) {
                const uint32_t error = burst << shift;
                patterns[blockSyndrome(error)] = error;
            }
        }
    }
    std::array<uint32_t, 1u << rdsCheckBits> patterns;
};

const BurstTable& burstTable() {
    static const BurstTable table;
    return table;
}

}  // namespace

uint16_t offsetWord(BlockOffset offset) {
    switch (offset) {
        case BlockOffset::A: return 0x0FC;
        case BlockOffset::B: return 0x198;
        case BlockOffset::C: return 0x168;
        case BlockOffset::CPrime: return 0x350;
        case BlockOffset::D: return 0x1B4;
    }
    return 0;
}

int blockPosition(BlockOffset offset) {
    switch (offset) {
        case BlockOffset::A: return 0;
        case BlockOffset::B: return 1;
        case BlockOffset::C:
        case BlockOffset::CPrime: return 2;
        case BlockOffset::D: return 3;
    }
    return 0;
}

uint16_t blockSyndrome(uint32_t block) {
    uint32_t r = block & rdsBlockMask;
    for (int bit = rdsBlockBits - 1; bit >= rdsCheckBits; --bit)
        if (r & (1u << bit)) r ^= rdsGenerator << (bit - rdsCheckBits);
    return uint16_t(r);
}

uint32_t encodeBlock(uint16_t info, BlockOffset offset) {
    const uint32_t shifted = uint32_t(info) << rdsCheckBits;
    return shifted | (blockSyndrome(shifted) ^ offsetWord(offset));
}

DecodedBlock decodeBlock(uint32_t block, BlockOffset expected) {
    DecodedBlock d;
    const uint16_t syndrome = blockSyndrome(block) ^ offsetWord(expected);
    if (syndrome == 0) {
        d.error = BlockError::None;
    } else if (const uint32_t burst = burstTable().patterns[syndrome]) {
        block ^= burst;
        d.error = BlockError::Corrected;
    } else {
        d.error = BlockError::Uncorrectable;
    }
    d.info = uint16_t((block & rdsBlockMask) >> rdsCheckBits);
    return d;
}

void BlockSync::reset() {
    register_ = 0;
    bits_ = 0;
    synchronized_ = false;
    bitsInBlock_ = 0;
    nextPosition_ = 0;
    groupVersion_ = -1;
    failures_ = 0;
    candidates_.clear();
}

void BlockSync::pushBit(int bit, std::vector<ReceivedBlock>& out) {
    register_ = ((register_ << 1) | uint32_t(bit & 1)) & rdsBlockMask;
    ++bits_;
    if (synchronized_) {
        if (++bitsInBlock_ == rdsBlockBits) takeBlock(out);
    } else if (bits_ >= uint64_t(rdsBlockBits)) {
        search(out);
    }
}

void BlockSync::search(std::vector<ReceivedBlock>& out) {
    const uint16_t syndrome = blockSyndrome(register_);
    for (BlockOffset offset : allOffsets) {
        if (syndrome != offsetWord(offset)) continue;
        const int position = blockPosition(offset);
        const uint16_t info = uint16_t(register_ >> rdsCheckBits);
        for (const Candidate& c : candidates_) {
            const uint64_t distance = bits_ - c.bit;
            if (distance % rdsBlockBits != 0) continue;
            const uint64_t blocks = distance / rdsBlockBits;
            if ((uint64_t(c.position) + blocks) % positionsPerGroup != uint64_t(position)) continue;
            // Found: hand over the earlier block too when it is the one just before.
            if (blocks == 1) out.push_back({c.info, c.offset, BlockError::None});
            out.push_back({info, offset, BlockError::None});
            startSync(position);
            if (offset == BlockOffset::B) groupVersion_ = (info >> 11) & 1;
            return;
        }
        candidates_.push_back({bits_, position, info, offset});
    }
    const uint64_t oldest = uint64_t(maxSyncSpanBlocks) * rdsBlockBits;
    while (!candidates_.empty() && bits_ - candidates_.front().bit > oldest)
        candidates_.erase(candidates_.begin());
}

void BlockSync::startSync(int position) {
    synchronized_ = true;
    bitsInBlock_ = 0;
    nextPosition_ = (position + 1) % positionsPerGroup;
    groupVersion_ = -1;
    failures_ = 0;
    candidates_.clear();
}

void BlockSync::takeBlock(std::vector<ReceivedBlock>& out) {
    bitsInBlock_ = 0;
    ReceivedBlock block;
    DecodedBlock decoded;
    switch (nextPosition_) {
        case 0: block.offset = BlockOffset::A; break;
        case 1: block.offset = BlockOffset::B; break;
        case 2: block.offset = groupVersion_ == 1 ? BlockOffset::CPrime : BlockOffset::C; break;
        default: block.offset = BlockOffset::D; break;
    }
    if (nextPosition_ == 2 && groupVersion_ < 0) {
        // B was lost, so C and C' are both possible: take a clean one only.
        const uint16_t syndrome = blockSyndrome(register_);
        decoded.info = uint16_t(register_ >> rdsCheckBits);
        if (syndrome == offsetWord(BlockOffset::C)) {
            decoded.error = BlockError::None;
        } else if (syndrome == offsetWord(BlockOffset::CPrime)) {
            decoded.error = BlockError::None;
            block.offset = BlockOffset::CPrime;
        }
    } else {
        decoded = decodeBlock(register_, block.offset);
    }
    block.info = decoded.info;
    block.error = decoded.error;
    if (nextPosition_ == 1)
        groupVersion_ = decoded.error == BlockError::Uncorrectable ? -1 : (decoded.info >> 11) & 1;
    out.push_back(block);
    nextPosition_ = (nextPosition_ + 1) % positionsPerGroup;

    failures_ = ((failures_ << 1) | (decoded.error == BlockError::Uncorrectable ? 1u : 0u)) & lossWindowMask;
    if (int(std::bitset<lossWindowBlocks>(failures_).count()) >= lossFailures) {
        synchronized_ = false;
        candidates_.clear();
    }
}

}  // namespace orv::receiver
