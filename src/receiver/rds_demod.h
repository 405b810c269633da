// The RDS demodulator: the 57 kHz subcarrier out of the multiplex, mixed
// down on three times the pilot's phase when the pilot is locked (on a free
// oscillator otherwise), a Costas loop for what phase is left, then the
// biphase symbols: a second Costas loop on their 1187.5 Hz clock, one bit
// per clock cycle and differential decoding.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "receiver/filters.h"

namespace orv::receiver {

constexpr double rdsSubcarrierHz = 57000.0;
constexpr double rdsBitRate = 1187.5;  // the subcarrier / 48

class RdsDemodulator {
public:
    // sampleRate: the multiplex's, 256 kS/s in the receiver.
    explicit RdsDemodulator(double sampleRate);
    void reset();
    // n multiplex samples (1.0 = 75 kHz); pilot holds the pilot loop's phasor
    // for each and is used while pilotLocked. Appends the data bits (0 or 1).
    void process(const float* mpx, const Complex* pilot, size_t n, bool pilotLocked, std::vector<uint8_t>& bits);

    // For checks: the carrier loop's frequency correction, and whether the
    // bit clock sits on the second of its two half-cycle alignments.
    double carrierOffsetHz() const;
    int clockAlignment() const { return alignment_; }

private:
    void mix(const float* mpx, const Complex* pilot, size_t n, bool pilotLocked);
    void demodulate(Complex z, std::vector<uint8_t>& bits);
    void carrierLoop();
    void endOfHalfCycle(bool cycleEnds, std::vector<uint8_t>& bits);
    void window(int alignment, float i, float q, std::vector<uint8_t>& bits);

    double sampleRate_;
    double basebandRate_;
    int freeStep_;  // the free oscillator's step, in table places
    std::vector<Complex> oscillator_;
    FirDecimator<Complex> first_, second_;
    std::vector<Complex> mixed_, stage_, baseband_;

    // Mixing.
    bool usingPilot_;
    int freeIndex_;
    double lastPilotCycles_;

    // Carrier loop, phases in cycles.
    double carrierPhase_, carrierStep_;
    float errorSum_, powerSum_;
    int carrierFill_;

    // Bit clock: phase in cycles of the 1187.5 Hz clock, half-cycle sums.
    double clockPhase_, clockStep_, clockTrim_;
    bool firstHalf_;
    float sumI_, sumQ_;
    float firstI_, firstQ_, previousSecondI_, previousSecondQ_;
    std::array<float, 2> windowLevel_;
    int alignment_;
    int lastSymbol_;
};

}  // namespace orv::receiver
