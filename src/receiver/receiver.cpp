#include "receiver/receiver.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "receiver/filters.h"
#include "receiver/fm_discriminator.h"
#include "receiver/resampler.h"
#include "receiver/stereo.h"
#include "receiver/tuning.h"

namespace orv::receiver {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double subcarrierHz = 2.0 * pilotHz;

// Half-band stages, last (to 256 kS/s) first: taps and stopband attenuation.
// The last keeps 0..100 kHz and stops 156..256 kHz at 512 kS/s; the earlier
// ones have wide transitions and need few taps.
struct HalfbandStage {
    int taps;
    double attenuationDb;
};
constexpr HalfbandStage halfbandStages[] = {{35, 60.0}, {19, 60.0}, {11, 60.0}, {11, 60.0}};
constexpr int maxHalfbandStages = 4;

// Channel filter at 256 kS/s: flat to 100 kHz, -6 dB at 112 kHz.
constexpr int channelTaps = 33;
constexpr double channelCutoffHz = 112000.0;
constexpr double channelAttenuationDb = 50.0;

// Multiplex to 64 kS/s: keeps 15 kHz, stops what would fold below 24 kHz.
constexpr int audioDecimation = 4;
constexpr int audioTaps = 39;
constexpr double audioCutoffHz = 27500.0;
constexpr double audioAttenuationDb = 60.0;

constexpr int mixerTableLength = 4096;  // whole periods of the mixer, at least this long
constexpr double dcTrackSeconds = 0.05;
constexpr double blendSlewSeconds = 0.05;  // a full swing between mono and stereo
constexpr double deemphasisBetweenRegions = (europeDeemphasisSeconds + americaDeemphasisSeconds) / 2.0;

}  // namespace

PtyTable ptyTableFor(double deemphasisSeconds) {
    return deemphasisSeconds > deemphasisBetweenRegions ? PtyTable::NorthAmerica : PtyTable::Europe;
}

struct Receiver::Chain {
    Chain(double inputRate, double deemphasisSeconds)
        : spectrum(inputRate, -stationOffsetHz),
          channel(kaiserLowpass(channelTaps, channelCutoffHz / channelRate, kaiserBeta(channelAttenuationDb)), 1),
          discriminator(channelRate),
          quieting(channelRate),
          pll(channelRate, 1.0 / discriminatorDroop(subcarrierHz, channelRate)),
          sumDecimator(kaiserLowpass(audioTaps, audioCutoffHz / channelRate, kaiserBeta(audioAttenuationDb)), audioDecimation),
          differenceDecimator(kaiserLowpass(audioTaps, audioCutoffHz / channelRate, kaiserBeta(audioAttenuationDb)), audioDecimation),
          resampler(audioRate, outputRate),
          deemphasisLeft(deemphasisSeconds, outputRate),
          deemphasisRight(deemphasisSeconds, outputRate),
          rds(channelRate, ptyTableFor(deemphasisSeconds)) {
        const double ratio = inputRate / channelRate;
        int stages = 0;
        while ((1 << stages) < ratio) ++stages;
        const double period = inputRate / stationOffsetHz;
        if (stages < 1 || stages > maxHalfbandStages || double(1 << stages) != ratio || period != std::floor(period))
            throw std::invalid_argument("input rate must be 256 kS/s times 2, 4, 8 or 16");
        // Earliest stage first.
        for (int s = stages - 1; s >= 0; --s)
            halfbands.emplace_back(halfbandLowpass(halfbandStages[s].taps, kaiserBeta(halfbandStages[s].attenuationDb)));
        const int periods = mixerTableLength / int(period);
        for (int i = 0; i < periods * int(period); ++i)
            mixer.push_back(std::polar(1.0f, float(-2.0 * pi * (i % int(period)) / period)));
    }

    void reset() {
        mixerPhase = 0;
        spectrum.reset();
        for (HalfbandDecimator& h : halfbands) h.reset();
        channel.reset();
        discriminator.reset();
        quieting.reset();
        pll.reset();
        sumDecimator.reset();
        differenceDecimator.reset();
        resampler.reset();
        deemphasisLeft.reset();
        deemphasisRight.reset();
        dc = 0.0f;
        dcSamples = 0;
        offsetSum = 0.0;
        offsetCount = 0;
        chunks = 0;
        chunkFill = 0;
        blend = blendTarget = 0.0;
        rds.reset();
        pilotLocked = false;
    }

    std::vector<Complex> mixer;
    size_t mixerPhase = 0;
    SpectrumMeter spectrum;
    std::vector<HalfbandDecimator> halfbands;
    FirDecimator<Complex> channel;
    FmDiscriminator discriminator;
    QuietingMeter quieting;
    PilotPll pll;
    FirDecimator<float> sumDecimator, differenceDecimator;
    StereoResampler resampler;
    Deemphasis deemphasisLeft, deemphasisRight;
    RdsDecoder rds;
    bool pilotLocked = false;  // as of the latest window: RDS mixes on the pilot's phase

    float dc = 0.0f;
    size_t dcSamples = 0;
    double offsetSum = 0.0;
    size_t offsetCount = 0;
    size_t chunks = 0;     // measurement chunks completed since the reset
    size_t chunkFill = 0;  // input samples into the current chunk
    double blend = 0.0, blendTarget = 0.0;

    // Working buffers, kept to avoid allocation.
    std::vector<Complex> wide, stageA, stageB, narrow;
    std::vector<Complex> pilotPhasor;
    std::vector<float> mpx, difference, sum64, difference64, zeros64, sum48, difference48;
};

Receiver::Receiver(const ReceiverConfig& config)
    : inputRate_(config.inputRate),
      chunkSize_(size_t(std::llround(config.inputRate * settleSeconds))),
      wantedGeneration_(0),
      resetPending_(false),
      stereo_(config.stereo),
      threshold_(config.threshold),
      rds_(config.rds),
      chain_(std::make_unique<Chain>(config.inputRate, config.deemphasisSeconds)) {
    box_.restart(0);
    chain_->reset();
}

Receiver::~Receiver() = default;

void Receiver::retune(uint32_t generation) {
    box_.restart(generation);
    rdsBox_.restart(generation);
    wantedGeneration_.store(generation);
    resetPending_.store(true);
}

void Receiver::setRateTrim(double trim) { chain_->resampler.setTrim(trim); }

void Receiver::setDeemphasis(double seconds) {
    chain_->deemphasisLeft = Deemphasis(seconds, outputRate);
    chain_->deemphasisRight = Deemphasis(seconds, outputRate);
    chain_->rds.setPtyTable(ptyTableFor(seconds));
}

void Receiver::setStereo(bool stereo) { stereo_.store(stereo); }

void Receiver::setThreshold(uint16_t threshold) { threshold_.store(threshold); }

Measurement Receiver::measurement() const { return box_.read(); }

RdsState Receiver::rds() const { return rdsBox_.read(); }

double Receiver::blend() const { return chain_->blend; }

size_t Receiver::process(const void* iq, size_t count, IqFormat format, uint32_t generation,
                         std::vector<float>& audio) {
    if (generation != wantedGeneration_.load()) return 0;
    if (resetPending_.exchange(false) || generation != generation_) {
        generation_ = generation;
        chain_->reset();
    }
    const size_t before = audio.size();
    const uint8_t* bytes = static_cast<const uint8_t*>(iq);
    const size_t pairBytes = bytesPerIqPair(format);
    size_t done = 0;
    size_t& fill = chain_->chunkFill;
    while (done < count) {
        const size_t take = std::min(count - done, chunkSize_ - fill);
        processPiece(bytes + done * pairBytes, take, format, audio);
        done += take;
        fill += take;
        if (fill == chunkSize_) {
            fill = 0;
            endOfChunk();
        }
    }
    return (audio.size() - before) / 2;
}

void Receiver::processPiece(const uint8_t* iq, size_t count, IqFormat format, std::vector<float>& audio) {
    Chain& c = *chain_;

    // Convert and mix the station down from +stationOffsetHz.
    c.wide.resize(count);
    convertIq(iq, count, format, c.wide.data());
    // The table holds whole periods, so each run through it is a plain loop.
    const size_t table = c.mixer.size();
    for (size_t i = 0; i < count;) {
        const size_t run = std::min(count - i, table - c.mixerPhase);
        Complex* x = c.wide.data() + i;
        const Complex* m = c.mixer.data() + c.mixerPhase;
        for (size_t k = 0; k < run; ++k) {
            const float re = x[k].real() * m[k].real() - x[k].imag() * m[k].imag();
            const float im = x[k].real() * m[k].imag() + x[k].imag() * m[k].real();
            x[k] = {re, im};
        }
        i += run;
        c.mixerPhase = (c.mixerPhase + run) % table;
    }
    c.spectrum.feed(c.wide.data(), count);

    // Down to 256 kS/s and the channel.
    const std::vector<Complex>* current = &c.wide;
    std::vector<Complex>* next = &c.stageA;
    for (HalfbandDecimator& stage : c.halfbands) {
        next->clear();
        stage.process(current->data(), current->size(), *next);
        current = next;
        next = next == &c.stageA ? &c.stageB : &c.stageA;
    }
    c.narrow.clear();
    c.channel.process(current->data(), current->size(), c.narrow);
    const size_t n = c.narrow.size();

    // The multiplex; its mean is the carrier offset.
    c.mpx.resize(n);
    c.discriminator.process(c.narrow.data(), n, c.mpx.data());
    c.quieting.feed(c.mpx.data(), n);
    const float dcStep = float(1.0 / (dcTrackSeconds * channelRate));
    const size_t dcPrimeSamples = size_t(settleSeconds * channelRate);
    // The DC (the carrier's offset) is first the plain mean, then tracked slowly.
    double sum = 0.0;
    size_t i = 0;
    for (; i < n && c.dcSamples < dcPrimeSamples; ++i) {
        const float x = c.mpx[i];
        sum += x;
        c.dc += (x - c.dc) / float(++c.dcSamples);
        c.mpx[i] = x - c.dc;
    }
    float dc = c.dc;
    for (; i < n; ++i) {
        const float x = c.mpx[i];
        sum += x;
        dc += (x - dc) * dcStep;
        c.mpx[i] = x - dc;
    }
    c.dc = dc;
    c.offsetSum += sum;
    c.offsetCount += n;

    // Stereo: L-R on twice the pilot phase; both halves to 64 kS/s.
    c.difference.resize(n);
    c.pilotPhasor.resize(n);
    c.pll.process(c.mpx.data(), n, c.difference.data(), c.pilotPhasor.data());

    // RDS on the same multiplex.
    if (rds_) c.rds.process(c.mpx.data(), c.pilotPhasor.data(), n, c.pilotLocked);
    if (c.rds.takeChanged()) {
        RdsState state = c.rds.state();
        state.generation = generation_;
        rdsBox_.publish(state);
    }
    const bool stereo = stereo_.load();
    c.sum64.clear();
    c.sumDecimator.process(c.mpx.data(), n, c.sum64);
    const std::vector<float>* difference64 = &c.zeros64;
    if (stereo) {
        c.difference64.clear();
        c.differenceDecimator.process(c.difference.data(), n, c.difference64);
        difference64 = &c.difference64;
    } else {
        c.zeros64.assign(c.sum64.size(), 0.0f);
    }
    c.sum48.clear();
    c.difference48.clear();
    c.resampler.process(c.sum64.data(), difference64->data(), c.sum64.size(), c.sum48, c.difference48);

    // Blend, matrix, then de-emphasis on each of left and right.
    const double target = stereo ? c.blendTarget : 0.0;
    const double slew = 1.0 / (blendSlewSeconds * outputRate);
    for (size_t i = 0; i < c.sum48.size(); ++i) {
        c.blend += std::clamp(target - c.blend, -slew, slew);
        const float side = float(c.blend) * c.difference48[i];
        audio.push_back(c.deemphasisLeft.step(c.sum48[i] + side));
        audio.push_back(c.deemphasisRight.step(c.sum48[i] - side));
    }
}

void Receiver::endOfChunk() {
    Chain& c = *chain_;
    ++c.chunks;
    const size_t windowChunks = size_t(std::llround(windowSeconds / settleSeconds));
    const bool windowStart = c.chunks == 1;
    const bool windowEnd = c.chunks > 1 && (c.chunks - 1) % windowChunks == 0;
    if (windowEnd) {
        Measurement m;
        m.generation = generation_;
        m.ready = true;
        m.levelDb = c.spectrum.channelLevelDb();
        m.quietingDb = c.quieting.quietingDb();
        m.carrierOffsetHz = c.offsetCount ? c.offsetSum / double(c.offsetCount) * fullDeviationHz : 0.0;
        const PilotReading pilot = c.pll.takeReading();
        m.pilot = pilot.locked;
        m.pilotLevel = pilot.level;
        c.pilotLocked = pilot.locked;
        c.blendTarget = stereoBlend(pilot, m.quietingDb);
        m.blend = stereo_.load() ? c.blendTarget : 0.0;
        m.strength = strengthFromDb(m.levelDb);
        m.signal = isStation(m.levelDb, m.quietingDb, m.carrierOffsetHz, thresholdToDb(threshold_.load()));
        box_.publish(m);
    }
    if (windowStart || windowEnd) {
        c.spectrum.startWindow();
        c.quieting.startWindow();
        c.pll.takeReading();
        c.offsetSum = 0.0;
        c.offsetCount = 0;
    }
}

}  // namespace orv::receiver
