// A band of FM stations for the receiver's tests, made from first principles
// and sharing no code with the receiver: tones pre-emphasised by their exact
// analogue response, the multiplex (pilot sin t, L-R on sin 2t), FM at 75 kHz
// deviation by summing the frequency, complex Gaussian noise at a given
// carrier-to-noise ratio in 200 kHz, and CS8 quantisation. Stations may
// carry RDS: the product's encoder's baseband (groups, check words,
// differential and biphase coding, shaped pulses), put here as BPSK on
// 57 kHz locked to three times the pilot's phase.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "synth/rds_encoder.h"

namespace orv::testband {

struct Tone {
    double hz;
    double amplitude;  // 1.0: a channel at full scale
};

// RDS as the product's encoder makes it (src/synth/rds_encoder.h): the
// test band shares no code with the receiver, only with the transmitter side.
using synth::RdsProgramme;
using synth::RdsGroup;
using synth::rdsGroups;
using synth::rdsBits;

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
