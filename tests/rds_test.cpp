// RDS above the demodulator: block check words and burst correction, the
// block synchroniser on bit streams, the group decoder on block streams
// (name confirmation, text, programme type, clock) and the character set.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "receiver/rds_blocks.h"
#include "receiver/rds_charset.h"
#include "receiver/rds_groups.h"
#include "receiver/test_band.h"

namespace orv::receiver {
namespace {

using testband::RdsGroup;
using testband::RdsProgramme;

constexpr BlockOffset groupOffsets[] = {BlockOffset::A, BlockOffset::B, BlockOffset::C, BlockOffset::D};

// ---- Blocks and burst correction ----

TEST(RdsBlocks, CleanBlocksCheckCleanAgainstTheirOwnOffsetOnly) {
    const BlockOffset all[] = {BlockOffset::A, BlockOffset::B, BlockOffset::C, BlockOffset::CPrime, BlockOffset::D};
    for (uint16_t info : {0x0000, 0xFFFF, 0x1234, 0xD3C2}) {
        for (BlockOffset sent : all) {
            const uint32_t block = encodeBlock(info, sent);
            for (BlockOffset expected : all) {
                const DecodedBlock d = decodeBlock(block, expected);
                if (expected == sent) {
                    EXPECT_EQ(d.error, BlockError::None);
                    EXPECT_EQ(d.info, info);
                } else {
                    // Some offsets differ by a two-bit burst, so correction may
                    // take one for another; a clean check never does.
                    EXPECT_NE(d.error, BlockError::None) << int(sent) << " as " << int(expected);
                }
            }
        }
    }
}

// Every burst of 1..10 bits at every place in a block: first and last bit
// flipped, anything between. One and two bits must come back corrected;
// longer ones must be rejected, and the test counts those that would pass
// as a wrong block instead.
TEST(RdsBlocks, EveryBurstUpToTenBits) {
    constexpr int longest = 10;
    const uint16_t info = 0x5A3C;
    const uint32_t clean = encodeBlock(info, BlockOffset::B);
    std::vector<long> wrong(longest + 1, 0), total(longest + 1, 0);
    for (int length = 1; length <= longest; ++length) {
        const uint32_t inner = length > 2 ? (1u << (length - 2)) : 1u;
        for (int shift = 0; shift + length <= rdsBlockBits; ++shift) {
            for (uint32_t middle = 0; middle < inner; ++middle) {
                const uint32_t ends = length == 1 ? 1u : (1u | 1u << (length - 1));
                const uint32_t burst = (ends | middle << 1) << shift;
                const DecodedBlock d = decodeBlock(clean ^ burst, BlockOffset::B);
                ++total[size_t(length)];
                if (length <= rdsCorrectableBurst) {
                    ASSERT_EQ(d.error, BlockError::Corrected) << "burst " << burst;
                    ASSERT_EQ(d.info, info);
                } else if (d.error != BlockError::Uncorrectable) {
                    ASSERT_EQ(d.error, BlockError::Corrected);  // a clean check is impossible
                    ++wrong[size_t(length)];
                }
            }
        }
    }
    int allRejectedUpTo = rdsCorrectableBurst;
    while (allRejectedUpTo < longest && wrong[size_t(allRejectedUpTo + 1)] == 0) ++allRejectedUpTo;
    for (int length = 3; length <= longest; ++length)
        std::printf("burst of %2d bits: %5ld of %5ld turned into a wrong block\n", length, wrong[size_t(length)],
                    total[size_t(length)]);
    std::printf("every burst of 3..%d bits rejected\n", allRejectedUpTo);
    // Not eight: that bound holds for a burst that overlaps the two bits the
    // decoder would flip. A 6-bit burst plus a 2-bit burst elsewhere in the
    // block can make a code word (their span exceeds the ten check bits), and
    // some do; up to five bits none does.
    EXPECT_EQ(allRejectedUpTo, 5);
    EXPECT_GT(wrong[6], 0);
}

// ---- Block synchronisation ----

RdsProgramme programme() {
    RdsProgramme p;
    p.on = true;
    p.pi = 0xC0DE;
    p.pty = 5;
    p.names = {"ORVANTA "};
    p.texts = {"Hello"};
    return p;
}

std::vector<ReceivedBlock> syncBits(BlockSync& sync, const std::vector<uint8_t>& bits) {
    std::vector<ReceivedBlock> out;
    for (uint8_t b : bits) sync.pushBit(b, out);
    return out;
}

std::vector<uint8_t> randomBits(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bits(n);
    for (uint8_t& b : bits) b = uint8_t(random() & 1);
    return bits;
}

TEST(RdsSync, FindsBlocksMidStreamAndHandsThemOverInOrder) {
    const std::vector<RdsGroup> groups = testband::rdsGroups(programme(), 8);
    std::vector<uint8_t> bits = randomBits(37, 5);
    const std::vector<uint8_t> data = testband::rdsBits(groups);
    bits.insert(bits.end(), data.begin() + 61, data.end());  // from the middle of group 0's block C
    BlockSync sync;
    const std::vector<ReceivedBlock> blocks = syncBits(sync, bits);
    ASSERT_TRUE(sync.synchronized());
    // Block D of group 0 and A of group 1 find the sync; everything from there comes.
    ASSERT_EQ(blocks.size(), 1u + 7u * 4u);
    for (size_t i = 0; i < blocks.size(); ++i) {
        const size_t n = i + 3;  // block number in the stream
        EXPECT_EQ(blocks[i].info, groups[n / 4][n % 4]) << i;
        EXPECT_EQ(blocks[i].offset, groupOffsets[n % 4]) << i;
        EXPECT_EQ(blocks[i].error, BlockError::None) << i;
    }
}

TEST(RdsSync, LostOnNoiseAndFoundAgain) {
    const std::vector<uint8_t> data = testband::rdsBits(testband::rdsGroups(programme(), 10));
    BlockSync sync;
    syncBits(sync, data);
    ASSERT_TRUE(sync.synchronized());
    // Noise: lost within the loss window (16 blocks), not at the first bad block.
    const std::vector<uint8_t> noise = randomBits(30 * rdsBlockBits, 9);
    int lostAfter = -1;
    std::vector<ReceivedBlock> out;
    for (size_t i = 0; i < noise.size(); ++i) {
        sync.pushBit(noise[i], out);
        if (!sync.synchronized()) {
            lostAfter = int(i / rdsBlockBits) + 1;
            break;
        }
    }
    EXPECT_GE(lostAfter, 8);
    EXPECT_LE(lostAfter, 16);
    // The signal back, a bit off the old block grid: found again within two groups.
    std::vector<uint8_t> back = randomBits(11, 3);
    back.insert(back.end(), data.begin(), data.end());
    out.clear();
    size_t foundAt = 0;
    for (size_t i = 0; i < back.size() && !foundAt; ++i) {
        sync.pushBit(back[i], out);
        if (sync.synchronized()) foundAt = i;
    }
    EXPECT_GT(foundAt, 0u);
    EXPECT_LT(foundAt, 11u + 8u * rdsBlockBits);
}

TEST(RdsSync, CorrectsOnlyInSyncAndPicksCOrCPrimeFromBlockB) {
    RdsGroup groupB = {0xC0DE, 0x2810, 0xC0DE, 0x4142};  // 2B: C' repeats PI
    std::vector<RdsGroup> groups = testband::rdsGroups(programme(), 4);
    groups.push_back(groupB);
    std::vector<uint8_t> bits = testband::rdsBits(groups);
    // A two-bit burst in the first block: before sync, so never taken.
    bits[3] ^= 1;
    bits[4] ^= 1;
    // The same in group 4's C' and in its D: corrected.
    const size_t third = 4 * 104 + 2 * rdsBlockBits;
    bits[third + 7] ^= 1;
    bits[third + 8] ^= 1;
    bits[third + rdsBlockBits + 20] ^= 1;
    BlockSync sync;
    const std::vector<ReceivedBlock> blocks = syncBits(sync, bits);
    ASSERT_FALSE(blocks.empty());
    EXPECT_NE(blocks.front().offset, BlockOffset::A);  // the damaged first block was not used to sync
    const ReceivedBlock& cPrime = blocks[blocks.size() - 2];
    EXPECT_EQ(cPrime.offset, BlockOffset::CPrime);
    EXPECT_EQ(cPrime.error, BlockError::Corrected);
    EXPECT_EQ(cPrime.info, 0xC0DE);
    EXPECT_EQ(blocks.back().error, BlockError::Corrected);
    EXPECT_EQ(blocks.back().info, 0x4142);
}

// ---- Groups ----

void feedGroup(RdsGroupDecoder& d, const RdsGroup& g, unsigned lostBlocks = 0) {
    for (int b = 0; b < 4; ++b) {
        const bool lost = (lostBlocks >> b) & 1;
        const bool versionB = (g[1] >> 11) & 1;
        const BlockOffset offset = b == 2 && versionB ? BlockOffset::CPrime : groupOffsets[b];
        d.feed(g[size_t(b)], offset, lost ? BlockError::Uncorrectable : BlockError::None);
    }
}

TEST(RdsGroups, FixedNameAfterEachSegmentTwiceAndCounters) {
    RdsGroupDecoder d;
    const std::vector<RdsGroup> groups = testband::rdsGroups(programme(), 20);
    for (size_t g = 0; g < groups.size(); ++g) {
        feedGroup(d, groups[g]);
        // Segments go out in groups 0, 2, 4, 6 of each ten: the second pass ends at group 16.
        EXPECT_EQ(d.state().ps, g >= 16 ? "ORVANTA " : "") << g;
    }
    EXPECT_TRUE(d.state().piValid);
    EXPECT_EQ(d.state().pi, 0xC0DE);
    EXPECT_EQ(d.state().blocksGood, 80u);
    d.feed(0x1234, BlockOffset::A, BlockError::Corrected);
    d.feed(0x1234, BlockOffset::B, BlockError::Uncorrectable);
    EXPECT_EQ(d.state().blocksCorrected, 1u);
    EXPECT_EQ(d.state().blocksBad, 1u);
}

// A name scrolled through PS: after every block the name shown is empty or
// one of the names sent, never a mix, also with blocks lost at random.
class ScrollingName : public ::testing::TestWithParam<int> {};

TEST_P(ScrollingName, NeverShowsAMixedName) {
    const int lossPercent = GetParam();
    RdsProgramme p = programme();
    const std::string message = "   ORVANTA SCROLLS ITS NAME   ";
    p.names.clear();
    for (size_t i = 0; i + 8 <= message.size(); ++i) p.names.push_back(message.substr(i, 8));
    p.namePasses = 3;
    const std::set<std::string> sent(p.names.begin(), p.names.end());
    const std::vector<RdsGroup> groups = testband::rdsGroups(p, 10 * p.names.size() * 3);
    std::mt19937 random(uint32_t(lossPercent + 1));
    RdsGroupDecoder d;
    std::set<std::string> shown;
    for (const RdsGroup& g : groups) {
        for (int b = 0; b < 4; ++b) {
            const bool lost = int(random() % 100) < lossPercent;
            d.feed(g[size_t(b)], groupOffsets[b], lost ? BlockError::Uncorrectable : BlockError::None);
            const std::string& ps = d.state().ps;
            if (ps.empty()) continue;
            ASSERT_TRUE(sent.count(ps)) << "showed \"" << ps << "\"";
            shown.insert(ps);
        }
    }
    // Three passes a name: without losses each one shows; with losses many
    // are never confirmed, the price of never showing a mix.
    std::printf("%d%% of blocks lost: %zu of %zu names shown\n", lossPercent, shown.size(), sent.size());
    if (lossPercent == 0) {
        EXPECT_EQ(shown.size(), sent.size());
    } else {
        EXPECT_GT(shown.size(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(RdsGroups, ScrollingName, ::testing::Values(0, 5, 20));

TEST(RdsGroups, TextEndsAtCarriageReturnAndTheFlagClearsIt) {
    RdsProgramme p = programme();
    p.texts = {"First message", "Second one"};
    p.textPasses = 1;
    const std::vector<RdsGroup> groups = testband::rdsGroups(p, 40);
    RdsGroupDecoder d;
    std::vector<std::string> seen;
    for (const RdsGroup& g : groups) {
        const bool textGroup = (g[1] >> 12) == 2;
        const bool flagChanges = textGroup && !seen.empty() && seen.back() == "First message" && ((g[1] >> 4) & 1);
        feedGroup(d, g);
        if (flagChanges) {
            EXPECT_EQ(d.state().text, "") << "the old text must go with the flag";
        }
        if (seen.empty() || seen.back() != d.state().text) seen.push_back(d.state().text);
    }
    // Nothing until the whole first text is in, never a half-written one.
    const std::vector<std::string> expected = {"", "First message", "", "Second one", "", "First message"};
    ASSERT_GE(seen.size(), 4u);
    for (size_t i = 0; i < seen.size() && i < expected.size(); ++i) EXPECT_EQ(seen[i], expected[i]) << i;
}

TEST(RdsGroups, TwoBTextAndLostBlocksLeaveGaps) {
    RdsGroupDecoder d;
    // 2B: two characters a group in block D, 32 at most; C' carries PI.
    const char* text = "Jazz at night\r";
    const int pairs = 7;
    for (int pass = 0; pass < 2; ++pass) {
        for (int a = 0; a < pairs; ++a) {
            const uint16_t chars = uint16_t(uint8_t(text[2 * a]) << 8 | uint8_t(text[2 * a + 1]));
            const RdsGroup g = {0x2222, uint16_t(0x2800 | a), 0x2222, chars};
            // Pass 0 loses block D of pair 3: the text waits for it.
            feedGroup(d, g, pass == 0 && a == 3 ? 8u : 0u);
            if (pass == 0) {
                EXPECT_EQ(d.state().text, "");
            }
        }
    }
    EXPECT_EQ(d.state().text, "Jazz at night");
    EXPECT_EQ(d.state().pi, 0x2222);
}

TEST(RdsGroups, ProgrammeTypeNamesInBothTables) {
    EXPECT_STREQ(ptyName(0, PtyTable::Europe), "None");
    EXPECT_STREQ(ptyName(1, PtyTable::Europe), "News");
    EXPECT_STREQ(ptyName(10, PtyTable::Europe), "Pop Music");
    EXPECT_STREQ(ptyName(31, PtyTable::Europe), "Alarm");
    EXPECT_STREQ(ptyName(10, PtyTable::NorthAmerica), "Country");
    EXPECT_STREQ(ptyName(9, PtyTable::NorthAmerica), "Top 40");
    EXPECT_STREQ(ptyName(29, PtyTable::NorthAmerica), "Weather");
    EXPECT_STREQ(ptyName(31, PtyTable::NorthAmerica), "Emergency");
    EXPECT_STREQ(ptyName(32, PtyTable::Europe), "");
    // From the air: confirmed by a second group, renamed when the table changes.
    RdsProgramme p = programme();
    p.pty = 10;
    p.tp = true;
    p.ta = true;
    const std::vector<RdsGroup> groups = testband::rdsGroups(p, 2);
    RdsGroupDecoder d(PtyTable::Europe);
    feedGroup(d, groups[0]);
    EXPECT_FALSE(d.state().ptyValid);
    feedGroup(d, groups[1]);
    EXPECT_TRUE(d.state().ptyValid);
    EXPECT_EQ(d.state().pty, 10);
    EXPECT_STREQ(d.state().ptyName, "Pop Music");
    EXPECT_TRUE(d.state().tp);
    EXPECT_TRUE(d.state().ta);
    d.setPtyTable(PtyTable::NorthAmerica);
    EXPECT_STREQ(d.state().ptyName, "Country");
}

struct ClockCase {
    uint32_t mjd;
    int hour, minute, offsetHalfHours;
    int year, month, day, localHour, localMinute;
};
class ClockTime : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockTime, LocalTimeFromTheAir) {
    const ClockCase c = GetParam();
    RdsProgramme p = programme();
    p.clock = true;
    p.mjd = c.mjd;
    p.utcHour = c.hour;
    p.utcMinute = c.minute;
    p.offsetHalfHours = c.offsetHalfHours;
    RdsGroupDecoder d;
    for (const RdsGroup& g : testband::rdsGroups(p, 10)) feedGroup(d, g);
    const RdsClock& k = d.state().clock;
    ASSERT_TRUE(k.valid);
    EXPECT_EQ(k.year, c.year);
    EXPECT_EQ(k.month, c.month);
    EXPECT_EQ(k.day, c.day);
    EXPECT_EQ(k.hour, c.localHour);
    EXPECT_EQ(k.minute, c.localMinute);
    EXPECT_EQ(k.offsetMinutes, c.offsetHalfHours * 30);
}

INSTANTIATE_TEST_SUITE_P(
    RdsGroups, ClockTime,
    ::testing::Values(ClockCase{60000, 12, 0, 0, 2023, 2, 25, 12, 0},      // a plain day
                      ClockCase{60000, 23, 45, 2, 2023, 2, 26, 0, 45},     // past midnight
                      ClockCase{60004, 0, 10, 2, 2023, 3, 1, 1, 10},       // March 1st
                      ClockCase{60369, 23, 30, 1, 2024, 3, 1, 0, 0},       // 29 Feb 2024 into March
                      ClockCase{60310, 1, 0, -10, 2023, 12, 31, 20, 0},    // back into the old year
                      ClockCase{51544, 23, 59, 11, 2000, 1, 2, 5, 29}));   // half-hour zone

TEST(RdsGroups, ClockOutOfRangeIsIgnored) {
    EXPECT_FALSE(localClock(60000, 24, 0, 0).valid);
    EXPECT_FALSE(localClock(60000, 12, 60, 0).valid);
    EXPECT_FALSE(localClock(60000, 12, 0, 29).valid);
    EXPECT_FALSE(localClock(0, 12, 0, 0).valid);
}

TEST(RdsGroups, ResetForgetsEverything) {
    RdsProgramme p = programme();
    p.clock = true;
    p.mjd = 60000;
    RdsGroupDecoder d;
    for (const RdsGroup& g : testband::rdsGroups(p, 40)) feedGroup(d, g);
    ASSERT_FALSE(d.state().ps.empty());
    ASSERT_FALSE(d.state().text.empty());
    d.reset();
    const RdsState& s = d.state();
    EXPECT_FALSE(s.piValid || s.ptyValid || s.clock.valid || s.tp || s.ta);
    EXPECT_EQ(s.ps, "");
    EXPECT_EQ(s.text, "");
    EXPECT_EQ(s.blocksGood + s.blocksCorrected + s.blocksBad, 0u);
    // And a name needs its two passes again.
    for (const RdsGroup& g : testband::rdsGroups(p, 8)) feedGroup(d, g);
    EXPECT_EQ(d.state().ps, "");
}

// ---- Characters ----

TEST(RdsCharset, AccentedNamesComeOutAsUtf8) {
    // "Ökö Čas" and a few symbols from the upper half.
    const uint8_t name[] = {0xD7, 'k', 0x96, ' ', 0xCB, 'a', 's', 0xA9, 0x8D, 0xBB};
    EXPECT_EQ(rdsTextToUtf8(name, sizeof name), "Ökô Čas€ß°");
    EXPECT_EQ(rdsCharacterToUtf8(0x80), "á");
    EXPECT_EQ(rdsCharacterToUtf8(0x8F), "Ĳ");
    EXPECT_EQ(rdsCharacterToUtf8(0xFE), "ŧ");
    EXPECT_EQ(rdsCharacterToUtf8(0xAB), "$");
}

TEST(RdsCharset, AsciiButForItsOwnSymbolsAndControlsAsSpaces) {
    for (int c = 0x20; c <= 0x7D; ++c) {
        if (c == 0x24 || c == 0x5E || c == 0x60) continue;
        EXPECT_EQ(rdsCharacterToUtf8(uint8_t(c)), std::string(1, char(c))) << c;
    }
    EXPECT_EQ(rdsCharacterToUtf8(0x24), "¤");
    EXPECT_EQ(rdsCharacterToUtf8(0x5E), "―");
    EXPECT_EQ(rdsCharacterToUtf8(0x60), "‖");
    EXPECT_EQ(rdsCharacterToUtf8(0x7E), "¯");
    for (int c : {0x00, 0x0A, 0x0D, 0x1F, 0x7F, 0xFF}) EXPECT_EQ(rdsCharacterToUtf8(uint8_t(c)), " ") << c;
    // Every code is one character: valid UTF-8 with one lead byte.
    for (int c = 0; c < 256; ++c) {
        const std::string s = rdsCharacterToUtf8(uint8_t(c));
        int leads = 0;
        for (unsigned char b : s) leads += (b & 0xC0) != 0x80;
        EXPECT_EQ(leads, 1) << c;
    }
}

TEST(RdsCharset, NameFromTheAirInUtf8) {
    RdsProgramme p = programme();
    p.names = {std::string("R\x80" "DI\x8B \xA9" "1", 8)};
    RdsGroupDecoder d;
    for (const RdsGroup& g : testband::rdsGroups(p, 20)) feedGroup(d, g);
    EXPECT_EQ(d.state().ps, "RáDIÇ €1");
}

}  // namespace
}  // namespace orv::receiver
