// RDS as a station sends it, from the groups up: a programme (PI, name,
// text, programme type, traffic flags, clock), the groups it goes out in,
// their blocks with check words and offsets, and the baseband waveform
// (differential and biphase coding, pulses shaped to the RDS spectrum)
// that a transmitter puts on the 57 kHz subcarrier. The simulated band,
// the test band and the test devices all send RDS through this.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace orv::synth {

constexpr double rdsBitRate = 1187.5;
constexpr int rdsGroupBits = 104;
// The baseband waveform's samples a bit (38 kHz).
constexpr int rdsGridPerBit = 32;
constexpr double rdsGridRate = rdsBitRate * rdsGridPerBit;
// A typical station's level of RDS: 2 kHz of the 75 kHz deviation.
constexpr double rdsTypicalDeviationHz = 2000.0;

// What a station sends in RDS. Text is in the RDS character set, a byte a
// character. Groups go out in tens: four 0A (the name), one 4A when the
// clock is on (far more often than a station's once a minute, so that the
// clock shows soon) and 2A (the text) in the rest; 0A again where there is
// no text. At 11.4 groups a second that is a whole name every 0.9 s.
struct RdsProgramme {
    bool on = false;
    uint16_t pi = 0x1234;
    uint8_t pty = 0;
    bool tp = false, ta = false;
    std::vector<std::string> names = {"TESTBAND"};  // 8 bytes each; more than one scroll
    int namePasses = 3;                             // each name's four segments go out this often
    std::vector<std::string> texts;                 // up to 64 bytes; each next one flips the A/B flag
    int textPasses = 2;
    bool clock = false;
    uint32_t mjd = 0;  // the clock: modified Julian day, UTC hour and minute, local offset
    int utcHour = 0, utcMinute = 0, offsetHalfHours = 0;
    double deviationHz = rdsTypicalDeviationHz;  // peak
    double phase = 0.0;                          // radians against sin(3 x pilot phase)
};

// A clock time as 4A sends it.
struct RdsTime {
    uint32_t mjd = 0;
    int utcHour = 0, utcMinute = 0, offsetHalfHours = 0;
};
// utc as the clock group's fields, with the local offset in minutes
// (rounded to half hours, as the group carries it).
RdsTime rdsTime(std::time_t utc, long offsetMinutes);
// Now, with this machine's local offset.
RdsTime rdsTimeNow();

using RdsGroup = std::array<uint16_t, 4>;

// The groups a station sends, one after the other.
class RdsGroupSchedule {
public:
    explicit RdsGroupSchedule(RdsProgramme programme);
    RdsGroup next();
    // The clock the next 4A groups carry.
    void setTime(const RdsTime& time);

private:
    RdsGroup nameGroup(uint16_t common);
    RdsGroup clockGroup(uint16_t common) const;
    RdsGroup textGroup(uint16_t common);

    RdsProgramme p_;
    size_t group_ = 0;
    size_t nameSegments_ = 0;
    size_t text_ = 0, textSegment_ = 0, textPass_ = 0;
};

// The first count groups the station sends.
std::vector<RdsGroup> rdsGroups(const RdsProgramme& p, size_t count);
// The check word of a block's information, before its offset is added.
uint16_t rdsCheckWord(uint16_t info);
// A group's four blocks as 104 bits, most significant first, each block
// with its check word and offset (C' for the third block of a version-B group).
void appendRdsBits(const RdsGroup& group, std::vector<uint8_t>& bits);
std::vector<uint8_t> rdsBits(const std::vector<RdsGroup>& groups);

// The station's RDS baseband at rdsGridRate, sample by sample, from its
// schedule: the data bits differentially coded, each sent as a shaped
// impulse at the bit's start and the opposite one half a bit later.
// Samples stay within +-1; the first one is at -rdsPulseHalfBits bits.
class RdsWaveform {
public:
    explicit RdsWaveform(const RdsProgramme& programme);
    float next();
    void setTime(const RdsTime& time) { schedule_.setTime(time); }

private:
    void pushBit();

    RdsGroupSchedule schedule_;
    std::vector<uint8_t> bits_;
    size_t nextBit_ = 0;  // in bits_
    long bitsPushed_ = 0;
    int sent_ = 0;        // the differential coder's last channel bit
    long base_;           // grid index of pending_[head_]
    std::vector<float> pending_;
    size_t head_ = 0;
};

// The pulse reaches this many bits either side of its centre.
constexpr int rdsPulseHalfBits = 2;

}  // namespace orv::synth
