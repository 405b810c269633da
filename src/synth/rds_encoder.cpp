#include "synth/rds_encoder.h"

#include <cmath>
#include <cstdlib>

namespace orv::synth {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr uint32_t rdsPolynomial = 0x5B9;  // x^10+x^8+x^7+x^5+x^4+x^3+1
constexpr int checkBits = 10;
constexpr int blockBits = 26;
constexpr uint16_t blockOffsets[] = {0x0FC, 0x198, 0x168, 0x1B4};  // A, B, C, D
constexpr uint16_t offsetCPrime = 0x350;
constexpr uint16_t noAlternativeFrequencies = 0xE0CD;  // "no AF" and a filler code
constexpr uint8_t textEnd = 0x0D;
constexpr size_t maxText = 64;

// Group types and the places of the ten-group cycle.
constexpr uint16_t clockGroupType = 4, textGroupType = 2;
constexpr size_t cycleGroups = 10;
constexpr size_t clockSlot = 8;
bool isNameSlot(size_t slot) { return slot == 0 || slot == 2 || slot == 4 || slot == 6; }

// Clock time.
constexpr long mjdOf1970 = 40587;
constexpr long secondsPerDay = 86400;
constexpr int offsetSignBit = 0x20;  // in the local offset's six bits: behind UTC

// The shaping pulse.
constexpr int halfGrid = rdsPulseHalfBits * rdsGridPerBit;
constexpr int pulseLength = 2 * halfGrid + 1;
constexpr int shapeSteps = 400;  // integration steps
constexpr size_t ringSize = 256;  // at least the pulse, half a bit and a bit

// A text as its 2A segments: the end code after a short text, spaces to a whole segment.
std::string paddedText(std::string text) {
    if (text.size() > maxText) text.resize(maxText);
    if (text.size() < maxText) text += char(textEnd);
    while (text.size() % 4 != 0) text += ' ';
    return text;
}

uint16_t pairAt(const std::string& s, size_t i) {
    const uint8_t a = i < s.size() ? uint8_t(s[i]) : ' ';
    const uint8_t b = i + 1 < s.size() ? uint8_t(s[i + 1]) : ' ';
    return uint16_t(a << 8 | b);
}

// The transmitter's pulse: the square root of the cosine spectrum
// cos(pi f Td / 4) up to 2 / Td, Td the bit time, on the grid.
std::vector<double> makePulse() {
    const double td = 1.0 / rdsBitRate;
    const double top = 2.0 / td;
    std::vector<double> pulse(pulseLength);
    for (int j = -halfGrid; j <= halfGrid; ++j) {
        const double t = j * td / rdsGridPerBit;
        double sum = 0.0;
        for (int k = 0; k < shapeSteps; ++k) {
            const double f = (k + 0.5) * top / shapeSteps;
            sum += std::sqrt(std::cos(pi * f * td / 4.0)) * std::cos(2.0 * pi * f * t);
        }
        pulse[size_t(j + halfGrid)] = 2.0 * sum * top / shapeSteps;
    }
    return pulse;
}

// The pulse scaled so that no sequence of bits takes the waveform past +-1:
// the worst case at each place in a bit is every neighbour adding up.
const std::vector<float>& pulse() {
    static const std::vector<float> scaled = [] {
        const std::vector<double> p = makePulse();
        const int half = rdsGridPerBit / 2;
        std::vector<double> doublet(pulseLength + half, 0.0);
        for (int j = 0; j < pulseLength; ++j) {
            doublet[size_t(j)] += p[size_t(j)];
            doublet[size_t(j + half)] -= p[size_t(j)];
        }
        double worst = 0.0;
        for (int r = 0; r < rdsGridPerBit; ++r) {
            double sum = 0.0;
            for (size_t j = size_t(r); j < doublet.size(); j += rdsGridPerBit) sum += std::fabs(doublet[j]);
            worst = std::fmax(worst, sum);
        }
        std::vector<float> out(p.size());
        for (size_t j = 0; j < p.size(); ++j) out[j] = float(p[j] / worst);
        return out;
    }();
    return scaled;
}

}  // namespace

RdsTime rdsTime(std::time_t utc, long offsetMinutes) {
    RdsTime t;
    const long long seconds = (long long)utc;
    const long long days = seconds >= 0 ? seconds / secondsPerDay : 0;
    const long long inDay = seconds >= 0 ? seconds % secondsPerDay : 0;
    t.mjd = uint32_t(days + mjdOf1970);
    t.utcHour = int(inDay / 3600);
    t.utcMinute = int(inDay / 60 % 60);
    t.offsetHalfHours = int(std::lround(double(offsetMinutes) / 30.0));
    return t;
}

RdsTime rdsTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return rdsTime(now, local.tm_gmtoff / 60);
}

RdsGroupSchedule::RdsGroupSchedule(RdsProgramme programme) : p_(std::move(programme)) {
    if (p_.names.empty()) p_.names = {"        "};
    if (p_.namePasses < 1) p_.namePasses = 1;
    if (p_.textPasses < 1) p_.textPasses = 1;
}

void RdsGroupSchedule::setTime(const RdsTime& time) {
    p_.mjd = time.mjd;
    p_.utcHour = time.utcHour;
    p_.utcMinute = time.utcMinute;
    p_.offsetHalfHours = time.offsetHalfHours;
}

RdsGroup RdsGroupSchedule::next() {
    const uint16_t common = uint16_t((p_.tp ? 1 << 10 : 0) | (p_.pty & 31) << 5);
    const size_t slot = group_++ % cycleGroups;
    if (slot == clockSlot && p_.clock) return clockGroup(common);
    if (isNameSlot(slot) || p_.texts.empty()) return nameGroup(common);
    return textGroup(common);
}

RdsGroup RdsGroupSchedule::nameGroup(uint16_t common) {
    const size_t segment = nameSegments_ % 4;
    const std::string& name = p_.names[(nameSegments_ / 4 / size_t(p_.namePasses)) % p_.names.size()];
    ++nameSegments_;
    return {p_.pi, uint16_t(common | (p_.ta ? 1 << 4 : 0) | segment), noAlternativeFrequencies,
            pairAt(name, 2 * segment)};
}

RdsGroup RdsGroupSchedule::clockGroup(uint16_t common) const {
    const int offset = std::abs(p_.offsetHalfHours) | (p_.offsetHalfHours < 0 ? offsetSignBit : 0);
    return {p_.pi, uint16_t(common | clockGroupType << 12 | (p_.mjd >> 15 & 3)),
            uint16_t((p_.mjd & 0x7FFF) << 1 | (p_.utcHour >> 4 & 1)),
            uint16_t((p_.utcHour & 15) << 12 | (p_.utcMinute & 63) << 6 | (offset & 63))};
}

RdsGroup RdsGroupSchedule::textGroup(uint16_t common) {
    const std::string padded = paddedText(p_.texts[text_]);
    const RdsGroup g{p_.pi, uint16_t(common | textGroupType << 12 | (text_ & 1) << 4 | textSegment_),
                     pairAt(padded, 4 * textSegment_), pairAt(padded, 4 * textSegment_ + 2)};
    if (++textSegment_ == padded.size() / 4) {
        textSegment_ = 0;
        if (++textPass_ == size_t(p_.textPasses)) {
            textPass_ = 0;
            text_ = (text_ + 1) % p_.texts.size();
        }
    }
    return g;
}

std::vector<RdsGroup> rdsGroups(const RdsProgramme& p, size_t count) {
    RdsGroupSchedule schedule(p);
    std::vector<RdsGroup> out;
    out.reserve(count);
    for (size_t g = 0; g < count; ++g) out.push_back(schedule.next());
    return out;
}

uint16_t rdsCheckWord(uint16_t info) {
    uint32_t r = uint32_t(info) << checkBits;
    for (int bit = blockBits - 1; bit >= checkBits; --bit)
        if (r & (1u << bit)) r ^= rdsPolynomial << (bit - checkBits);
    return uint16_t(r & 0x3FF);
}

void appendRdsBits(const RdsGroup& g, std::vector<uint8_t>& bits) {
    const bool versionB = (g[1] >> 11) & 1;
    for (size_t b = 0; b < 4; ++b) {
        const uint16_t offset = b == 2 && versionB ? offsetCPrime : blockOffsets[b];
        const uint32_t block = uint32_t(g[b]) << checkBits | (rdsCheckWord(g[b]) ^ offset);
        for (int bit = blockBits - 1; bit >= 0; --bit) bits.push_back(uint8_t((block >> bit) & 1));
    }
}

std::vector<uint8_t> rdsBits(const std::vector<RdsGroup>& groups) {
    std::vector<uint8_t> bits;
    bits.reserve(groups.size() * rdsGroupBits);
    for (const RdsGroup& g : groups) appendRdsBits(g, bits);
    return bits;
}

RdsWaveform::RdsWaveform(const RdsProgramme& programme)
    : schedule_(programme), base_(0), pending_(ringSize, 0.0f) {
    pulse();
}

// The next data bit's two impulses into the ring: the one at the bit's
// start reaches from halfGrid before it (grid place bit x rdsGridPerBit
// counted from the first sample).
void RdsWaveform::pushBit() {
    if (nextBit_ == bits_.size()) {
        bits_.clear();
        nextBit_ = 0;
        appendRdsBits(schedule_.next(), bits_);
    }
    sent_ ^= bits_[nextBit_++];
    const float polarity = sent_ ? 1.0f : -1.0f;
    const std::vector<float>& p = pulse();
    const long start = bitsPushed_++ * rdsGridPerBit;
    for (size_t j = 0; j < p.size(); ++j) {
        pending_[size_t(start + long(j)) % ringSize] += polarity * p[j];
        pending_[size_t(start + long(j) + rdsGridPerBit / 2) % ringSize] -= polarity * p[j];
    }
}

float RdsWaveform::next() {
    // Every bit whose pulses reach this sample is in once the next one starts after it.
    while (bitsPushed_ * rdsGridPerBit <= base_) pushBit();
    float& slot = pending_[size_t(base_++) % ringSize];
    const float v = slot;
    slot = 0.0f;
    return v;
}

}  // namespace orv::synth
