// A band of FM stations for the receiver's tests, made from first principles
// and sharing no code with the receiver: tones pre-emphasised by their exact
// analogue response, the multiplex (pilot sin t, L-R on sin 2t), FM at 75 kHz
// deviation by summing the frequency, complex Gaussian noise at a given
// carrier-to-noise ratio in 200 kHz, and CS8 quantisation. Stations may
// carry RDS, encoded here from the groups up: check words with offsets,
// differential and biphase coding, pulses shaped to the RDS spectrum, BPSK
// on 57 kHz locked to three times the pilot's phase.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv::testband {

struct Tone {
    double hz;
    double amplitude;  // 1.0: a channel at full scale
};

// What a station sends in RDS. Text is in the RDS character set, a byte a
// character. Groups go out in tens: four 0A (the name), one 4A when the
// clock is on (far more often than a station's once a minute, so short
// tests see it) and 2A (the text) in the rest; 0A again where there is no text.
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
    uint32_t mjd = 0;
    int utcHour = 0, utcMinute = 0, offsetHalfHours = 0;
    double deviationHz = 2000.0;  // peak
    double phase = 0.0;           // radians against sin(3 x pilot phase)
};

using RdsGroup = std::array<uint16_t, 4>;
// The first count groups the station sends.
std::vector<RdsGroup> rdsGroups(const RdsProgramme& p, size_t count);
// The groups' blocks as bits, most significant first, each block with its check word and offset.
std::vector<uint8_t> rdsBits(const std::vector<RdsGroup>& groups);

struct TestStation {
    double offsetHz = 0.0;   // carrier above the hardware centre
    double snrDb = 30.0;     // carrier over the band's noise in 200 kHz
    std::vector<Tone> left, right;
    double preemphasisSeconds = 50e-6;  // 0: none
    bool stereo = true;      // pilot and L-R present
    double pilotLevel = 0.1; // of full deviation
    double pilotPhase = 0.3; // radians at t = 0
    RdsProgramme rds;        // RDS from t = 0 when on
};

struct Band {
    double sampleRate = 2048000.0;
    double seconds = 0.1;
    double noisePower = 1.0;  // noise in 200 kHz, in CS8 steps squared; carriers scale from it
    bool noise = true;
    uint32_t seed = 1;
};

// The band as complex samples in CS8 steps (before quantisation).
std::vector<std::complex<double>> makeBand(const Band& band, const std::vector<TestStation>& stations);

// The band as interleaved signed 8-bit I,Q: rounded, clipped to +-127.
std::vector<int8_t> makeBandCs8(const Band& band, const std::vector<TestStation>& stations);

// Power of a tone in interleaved audio: channel `channel` of `channels`,
// frames [start, start + count), Hann window, the tone's bin and two either side.
double tonePower(const std::vector<float>& audio, int channels, int channel, size_t start, size_t count,
                 double hz, double rate);

}  // namespace orv::testband
