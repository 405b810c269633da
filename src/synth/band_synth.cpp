#include "synth/band_synth.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orv::synth {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double twoTo32 = 4294967296.0;
constexpr double deviationHz = 75000.0;
constexpr double pilotHz = 19000.0;
constexpr float pilotShare = 0.09f;   // of full deviation
constexpr float audioShare = 0.88f;   // the rest, less a little headroom
constexpr double channelHz = 200000.0;
constexpr double usableShare = 0.8;   // of the captured band, where stations may sound
constexpr double carrierAmplitude = 90.0;  // CS8 steps: leaves room for noise under 127
constexpr double strongDb = 35.0, weakDb = 14.0;
constexpr double offCarrierHz = 10000.0;
// Three lifted tones of a chord stay within full deviation.
constexpr double toneLevel = 0.25;

// A sine table of 4096 entries read by the top 12 bits of a 32-bit phase.
constexpr int tableBits = 12;
constexpr int tableSize = 1 << tableBits;
constexpr uint32_t quarterTurn = 1u << 30;

const float* sineTable() {
    static const std::vector<float> table = [] {
        std::vector<float> t(tableSize);
        for (int i = 0; i < tableSize; ++i) t[i] = float(std::sin(2.0 * pi * i / tableSize));
        return t;
    }();
    return table.data();
}

inline float sine(uint32_t phase) { return sineTable()[phase >> (32 - tableBits)]; }

// The programmes in turn: chords and tones, stereo on some.
const Programme programmes[] = {
    {{440, 0, 0}, {660, 0, 0}, true},
    {{262, 330, 392}, {262, 330, 392}, false},
    {{523, 659, 0}, {392, 494, 0}, true},
    {{349, 440, 0}, {349, 440, 0}, false},
    {{1000, 0, 0}, {3000, 0, 0}, true},
    {{587, 740, 0}, {587, 740, 0}, false},
    {{784, 0, 0}, {988, 1175, 0}, true},
    {{220, 277, 330}, {220, 277, 330}, false},
};
constexpr size_t programmeCount = sizeof programmes / sizeof programmes[0];
// Which places in the list are the weak station and the one off its frequency.
constexpr size_t weakPlace = 3;
constexpr size_t offPlace = 5;

// What the stations send in RDS, by place in the list (text in the RDS
// character set: 0x99 is u with diaeresis, 0x8D sharp s, 0x91 a with
// diaeresis, 0x82 e acute).
struct BandRds {
    uint16_t pi;
    uint8_t pty;
    bool tp, ta, clock;
    std::vector<std::string> names;
    std::vector<std::string> texts;
};
const BandRds bandRdsTable[programmeCount] = {
    {0xC301, 10, true, false, true, {"ORVANTA "},
     {"Orvanta's simulated band: tones and chords all day", "Next: more tones"}},
    // A name scrolled through PS in pieces of eight.
    {0xC302, 12, false, false, true, {"WELCOME ", "TO THE  ", "ORVANTA ", "SCROLLER"},
     {"The station's name scrolls"}},
    {0, 0, false, false, false, {}, {}},
    {0, 0, false, false, false, {}, {}},
    {0xC305, 14, true, true, true, {"KLASSIK "},
     {"Gr\x99\x8D" "e aus dem Simulator - K\x91" "lte, Caf\x82"}},
    {0, 0, false, false, false, {}, {}},
    {0xC307, 1, false, false, false, {"NEWS 24 "}, {"News on the hour", "Weather at half past"}},
    {0, 0, false, false, false, {}, {}},
};
constexpr int rdsNamePasses = 3;  // each piece of a scrolling name shows for about 2.6 s
constexpr int rdsTextPasses = 2;

uint32_t stepFor(double hz, double rate) {
    double cycles = hz / rate;
    cycles -= std::floor(cycles);
    return uint32_t(std::llround(cycles * twoTo32) & 0xFFFFFFFFll);
}

// Each tone lifted by the pre-emphasis at its frequency: after the
// receiver's de-emphasis every tone of every station sounds at toneLevel.
void setTones(const float* hz, double preemphasis, double rate, BandSynthesizer::Oscillator* out) {
    for (int i = 0; i < maxTones; ++i) {
        const double lift = std::hypot(1.0, 2.0 * pi * hz[i] * preemphasis);
        out[i].phase = 0;
        out[i].step = stepFor(hz[i], rate);
        out[i].amplitude = hz[i] > 0 ? float(toneLevel * lift) : 0.0f;
    }
}

uint32_t phaseOf(double radians) {
    double cycles = radians / (2.0 * pi);
    cycles -= std::floor(cycles);
    return uint32_t(std::llround(cycles * twoTo32) & 0xFFFFFFFFll);
}

}  // namespace

RdsProgramme bandRds(size_t place) {
    const BandRds& b = bandRdsTable[place % programmeCount];
    RdsProgramme p;
    p.on = !b.names.empty();
    p.pi = b.pi;
    p.pty = b.pty;
    p.tp = b.tp;
    p.ta = b.ta;
    p.clock = b.clock;
    p.names = b.names.empty() ? p.names : b.names;
    p.namePasses = rdsNamePasses;
    p.texts = b.texts;
    p.textPasses = rdsTextPasses;
    return p;
}

std::vector<SynthStation> simulatedBand(const std::vector<double>& stationsMHz) {
    std::vector<SynthStation> band;
    for (size_t i = 0; i < stationsMHz.size(); ++i) {
        SynthStation s;
        s.hz = stationsMHz[i] * 1e6;
        s.programme = programmes[i % programmeCount];
        s.levelDb = i % programmeCount == weakPlace ? weakDb : strongDb;
        s.carrierOffsetHz = i % programmeCount == offPlace ? offCarrierHz : 0.0;
        s.rds = bandRds(i);
        band.push_back(s);
    }
    return band;
}

BandSynthesizer::BandSynthesizer(std::vector<SynthStation> stations, double sampleRate, double preemphasisSeconds)
    : stations_(std::move(stations)), sampleRate_(sampleRate), preemphasis_(preemphasisSeconds),
      deviationSteps_(deviationHz / sampleRate * twoTo32) {
    // Noise in a 200 kHz channel 35 dB under a strong carrier, spread over the whole capture.
    const double carrierPower = carrierAmplitude * carrierAmplitude;
    const double channelNoise = carrierPower / std::pow(10.0, strongDb / 10.0);
    const double perComponent = std::sqrt(channelNoise * sampleRate / channelHz / 2.0);
    // noise() gives a triangular value of variance 1/6 per component.
    noiseScale_ = float(perComponent * std::sqrt(6.0));
    sineTable();
}

void BandSynthesizer::tune(double hardwareHz) {
    active_.clear();
    const double reach = sampleRate_ / 2.0 * usableShare;
    for (const SynthStation& s : stations_) {
        const double offset = s.hz + s.carrierOffsetHz - hardwareHz;
        if (std::fabs(offset) > reach) continue;
        Carrier c;
        const Programme& p = s.programme;
        c.stereo = p.stereo;
        setTones(p.leftHz, preemphasis_, sampleRate_, c.left);
        setTones(p.rightHz, preemphasis_, sampleRate_, c.right);
        c.pilotStep = stepFor(pilotHz, sampleRate_);
        c.offsetStep = stepFor(offset, sampleRate_);
        const double level = std::pow(10.0, (s.levelDb - strongDb) / 20.0);
        c.amplitude = float(carrierAmplitude * level);
        if (s.rds.on) {
            c.rds = std::make_unique<RdsWaveform>(s.rds);
            c.rds->setTime(time_);
            c.rdsLevel = float(s.rds.deviationHz / deviationHz);
            c.rdsPhase = phaseOf(s.rds.phase);
            c.rdsStep = float(rdsGridRate / sampleRate_);
        }
        active_.push_back(std::move(c));
    }
}

void BandSynthesizer::setTime(const RdsTime& time) {
    time_ = time;
    for (Carrier& c : active_)
        if (c.rds) c.rds->setTime(time);
}

// Triangular noise from a xorshift generator: zero mean, variance 1/6.
float BandSynthesizer::noise() {
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    const float a = float(random_ & 0xFFFF) / 65536.0f;
    const float b = float(random_ >> 16) / 65536.0f;
    return a - b;
}

// The station's RDS now, on 57 kHz at three times the pilot's phase (the
// pilot's oscillator runs on stations without a pilot too).
float BandSynthesizer::rdsData(Carrier& c) {
    if (!c.rds) return 0.0f;
    c.rdsAt += c.rdsStep;
    while (c.rdsAt >= 1.0f) {
        c.rdsBefore = c.rdsAfter;
        c.rdsAfter = c.rds->next();
        c.rdsAt -= 1.0f;
    }
    const float baseband = c.rdsBefore + (c.rdsAfter - c.rdsBefore) * c.rdsAt;
    return c.rdsLevel * baseband * sine(c.pilotPhase * 3u + c.rdsPhase);
}

// The station's multiplex now, 1.0 = full deviation; advances its oscillators.
float BandSynthesizer::multiplex(Carrier& c) {
    float left = 0.0f, right = 0.0f;
    for (int i = 0; i < maxTones; ++i) {
        left += c.left[i].amplitude * sine(c.left[i].phase);
        right += c.right[i].amplitude * sine(c.right[i].phase);
        c.left[i].phase += c.left[i].step;
        c.right[i].phase += c.right[i].step;
    }
    const float data = rdsData(c);
    const uint32_t pilotPhase = c.pilotPhase;
    c.pilotPhase += c.pilotStep;
    if (!c.stereo) return audioShare * (left + right) * 0.5f + data;
    const float pilot = sine(pilotPhase);
    const float subcarrier = sine(pilotPhase * 2u);
    return audioShare * ((left + right) * 0.5f + (left - right) * 0.5f * subcarrier) + pilotShare * pilot + data;
}

void BandSynthesizer::generate(int8_t* iq, size_t count) {
    for (size_t n = 0; n < count; ++n) {
        float i = noiseScale_ * noise();
        float q = noiseScale_ * noise();
        for (Carrier& c : active_) {
            const float m = multiplex(c);
            c.phase += c.offsetStep + uint32_t(int32_t(m * deviationSteps_));
            i += c.amplitude * sine(c.phase + quarterTurn);
            q += c.amplitude * sine(c.phase);
        }
        iq[2 * n] = int8_t(std::lrint(std::clamp(i, -127.0f, 127.0f)));
        iq[2 * n + 1] = int8_t(std::lrint(std::clamp(q, -127.0f, 127.0f)));
    }
}

}  // namespace orv::synth
