// RDS blocks: 16 information bits and a 10-bit check word (the cyclic
// code of x^10+x^8+x^7+x^5+x^4+x^3+1, plus an offset word that names the
// block's place in its group), and the block synchroniser that finds them
// in the demodulated bit stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv::receiver {

constexpr int rdsBlockBits = 26;
constexpr int rdsCheckBits = 10;
constexpr uint32_t rdsBlockMask = (1u << rdsBlockBits) - 1;
constexpr uint32_t rdsGenerator = 0x5B9;  // x^10+x^8+x^7+x^5+x^4+x^3+1
// Bursts of at most this many bits are corrected; longer ones only detected.
constexpr int rdsCorrectableBurst = 2;

// The offset word of a block, in order A, B, C, C', D. C' takes C's place
// in version-B groups.
enum class BlockOffset : uint8_t { A, B, C, CPrime, D };
enum class BlockError : uint8_t { None, Corrected, Uncorrectable };

uint16_t offsetWord(BlockOffset offset);
// The block's place in its group: A 0, B 1, C and C' 2, D 3.
int blockPosition(BlockOffset offset);

// The remainder of a 26-bit block by the generator: a clean block's
// remainder is its offset word.
uint16_t blockSyndrome(uint32_t block);
// info and its check word with the offset added, 26 bits.
uint32_t encodeBlock(uint16_t info, BlockOffset offset);

struct DecodedBlock {
    uint16_t info = 0;
    BlockError error = BlockError::Uncorrectable;
};
// Checks a block against the offset expected at its place; flips a burst
// of up to two bits when that explains the syndrome.
DecodedBlock decodeBlock(uint32_t block, BlockOffset expected);

struct ReceivedBlock {
    uint16_t info = 0;
    BlockOffset offset = BlockOffset::A;
    BlockError error = BlockError::Uncorrectable;
};

// Finds the blocks in the bit stream. Searching, it needs two offset words
// the right number of blocks apart; in sync it takes every 26 bits as the
// next block (correcting only there) and gives up when too many of the
// latest blocks fail.
class BlockSync {
public:
    BlockSync() { reset(); }
    void reset();
    // One data bit (after differential decoding); appends finished blocks.
    void pushBit(int bit, std::vector<ReceivedBlock>& out);
    bool synchronized() const { return synchronized_; }

private:
    struct Candidate {
        uint64_t bit;
        int position;
        uint16_t info;
        BlockOffset offset;
    };
    void search(std::vector<ReceivedBlock>& out);
    void takeBlock(std::vector<ReceivedBlock>& out);
    void startSync(int position);

    uint32_t register_ = 0;
    uint64_t bits_ = 0;
    bool synchronized_ = false;
    int bitsInBlock_ = 0;
    int nextPosition_ = 0;
    int groupVersion_ = -1;  // 0 A, 1 B, -1 unknown: which of C and C' comes next
    uint32_t failures_ = 0;  // one bit a block, latest lowest: 1 for a failed block
    std::vector<Candidate> candidates_;
};

}  // namespace orv::receiver
