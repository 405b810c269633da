// The simulated card's band as a radio would capture it: each station a
// carrier frequency-modulated by its own programme (tones and chords, some
// in stereo with a pilot, one weak, one with its carrier 10 kHz off), over
// a floor of noise that is hiss between the stations. Some stations send
// RDS: a fixed name, a name that scrolls, a text that changes with the A/B
// flag, the clock. Signed 8-bit I,Q as an RTL-SDR delivers it. Cheap
// enough to run for as long as the panel plays: table oscillators and
// integer phases, no filters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "synth/rds_encoder.h"

namespace orv::synth {

constexpr int maxTones = 3;

struct Programme {
    float leftHz[maxTones];   // 0: no tone
    float rightHz[maxTones];
    bool stereo;
};

struct SynthStation {
    double hz = 0.0;               // nominal frequency
    double carrierOffsetHz = 0.0;  // where the carrier really is, off the nominal
    double levelDb = 35.0;         // carrier over the noise in a 200 kHz channel
    Programme programme{};
    RdsProgramme rds;              // rds.on: the station sends RDS
};

// The RDS the station at this place in the band's list sends (none at some places).
RdsProgramme bandRds(size_t place);

// The band for a list of stations (MHz): the programmes, the weak station
// and the one off its frequency follow from each station's place in the list.
std::vector<SynthStation> simulatedBand(const std::vector<double>& stationsMHz);

class BandSynthesizer {
public:
    // preemphasisSeconds: the broadcast's pre-emphasis (the receiver's de-emphasis).
    BandSynthesizer(std::vector<SynthStation> stations, double sampleRate, double preemphasisSeconds);

    // Centres the capture on hardwareHz: stations within the captured band sound.
    void tune(double hardwareHz);
    // count I,Q pairs of signed 8-bit samples.
    void generate(int8_t* iq, size_t count);
    // The time the stations' clock groups send from now on.
    void setTime(const RdsTime& time);

    struct Oscillator {
        uint32_t phase = 0, step = 0;
        float amplitude = 0.0f;
    };

private:
    struct Carrier {
        Oscillator left[maxTones], right[maxTones];
        uint32_t pilotPhase = 0, pilotStep = 0;
        bool stereo = false;
        // RDS: the baseband read at its own rate, linearly between its samples.
        std::unique_ptr<RdsWaveform> rds;
        float rdsLevel = 0.0f;     // of full deviation
        uint32_t rdsPhase = 0;     // against three times the pilot's phase
        float rdsAt = 0.0f, rdsStep = 0.0f;  // place between two baseband samples, and per sample
        float rdsBefore = 0.0f, rdsAfter = 0.0f;
        uint32_t phase = 0;
        uint32_t offsetStep = 0;  // carrier offset from the centre, phase per sample
        float amplitude = 0.0f;
    };
    float noise();
    float multiplex(Carrier& c);
    static float rdsData(Carrier& c);

    std::vector<SynthStation> stations_;
    double sampleRate_, preemphasis_;
    std::vector<Carrier> active_;
    float noiseScale_;
    double deviationSteps_;  // phase per sample at full deviation
    uint32_t random_ = 0x9E3779B9u;
    RdsTime time_;
};

}  // namespace orv::synth
