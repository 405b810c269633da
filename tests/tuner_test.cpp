// The port protocol: divider arithmetic, the serial transfer's bytes, the
// status probe, volume pulses and the tick-counter waits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/headless/headless.h"
#include "panel/buttons.h"
#include "panel/keyboard.h"
#include "settings/settings.h"
#include "tuner/frequency.h"
#include "tuner/tuner.h"

namespace orv {
namespace {

// Notes the tick counter at every port operation, to check the waits.
struct TimedPort : Port {
    explicit TimedPort(VirtualClock& c) : clock(c) {}
    void writeByte(uint16_t, uint8_t v) override { events.push_back({'W', v, clock.ticks}); }
    uint8_t readByte(uint16_t) override {
        events.push_back({'R', status, clock.ticks});
        return status;
    }
    uint16_t readWord(uint16_t) override { return 0xFFFF; }
    struct Event {
        char kind;
        uint8_t value;
        uint32_t tick;
    };
    VirtualClock& clock;
    uint8_t status = 0xFF;
    std::vector<Event> events;
};

class TunerTest : public ::testing::Test {
protected:
    TunerTest() : app(h.platform) { initControlBytes(app); }

    // The four writes that clock out one bit with the given idle byte.
    static void appendBit(std::vector<uint8_t>& out, uint8_t idle, bool bit) {
        const uint8_t low = uint8_t(idle | lineEnable | (bit ? lineData : 0));
        out.insert(out.end(), {low, low, uint8_t(low | lineClock), uint8_t(low | lineClock)});
    }
    static std::vector<uint8_t> transferBytes(uint8_t idle, uint16_t divider, uint8_t control) {
        std::vector<uint8_t> out;
        for (int i = 0; i < 16; ++i) appendBit(out, idle, (divider >> i) & 1);
        for (int i = 7; i >= 0; --i) appendBit(out, idle, (control >> i) & 1);
        out.push_back(idle);
        return out;
    }

    Headless h;
    App app;
};

// The card is tuned to what the readout shows: 98.1 (the float 98.0999985)
// is divider 4352, and below 88 MHz nothing rounds the other way.
TEST(DividerTest, FollowsTheShownFrequency) {
    const struct {
        float mhz;
        int32_t divider;
    } table[] = {{87.0f, 3908},   {87.025f, 3909}, {88.0f, 3948},   {89.3f, 4000},  {98.1f, 4352},
                 {100.0f, 4428},  {100.1f, 4432},  {107.9f, 4744},  {108.0f, 4748}, {98.11f, 4352},
                 {98.12f, 4352},  {98.125f, 4353}, {87.5f, 3928},   {0.0f, 428}};
    for (const auto& row : table) EXPECT_EQ(dividerFor(row.mhz), row.divider) << row.mhz;
}

// divider x 25 kHz - 10.7 MHz is the shown frequency cut to 25 kHz.
void expectCardPlaysTheReadout(float f, const char* walk) {
    const int64_t shown = shownKiloHertz(frequencyDigits(f));
    EXPECT_EQ(int64_t(dividerFor(f)) * 25 - 10700, shown - shown % 25) << walk << " at " << f;
}

TEST(DividerTest, EveryStepAcrossTheBandTunesWhatTheReadoutShows) {
    const float bottom = 87.0f;
    const struct {
        const char* name;
        float start;
        int direction;
        float (*step)(float, float, int);
        int dividerStep;
    } walks[] = {{"fine up", bottom, 1, fineStep, 1},
                 {"fine down", upperBandEdge, -1, fineStep, -1},
                 {"coarse key up", bottom, 1, coarseKeyStep, 4},
                 {"coarse key down", upperBandEdge, -1, coarseKeyStep, -4},
                 {"coarse button up", bottom, 1, coarseGridStep, 4},
                 {"coarse button down", upperBandEdge, -1, coarseGridStep, -4}};
    for (const auto& w : walks) {
        float f = w.start;
        int steps = 0;
        for (;;) {
            expectCardPlaysTheReadout(f, w.name);
            const float next = w.step(f, bottom, w.direction);
            if ((w.direction > 0) != (next > f)) break;  // wrapped round the band
            EXPECT_EQ(dividerFor(next) - dividerFor(f), w.dividerStep) << w.name << " from " << f;
            f = next;
            ++steps;
        }
        EXPECT_EQ(steps, 840 / std::abs(w.dividerStep)) << w.name;
    }
}

TEST(DividerTest, PresetValuesWrittenWithPercentFTuneTheirFrequency) {
    const struct {
        float mhz;
        int32_t divider;
    } presets[] = {{87.5f, 3928},  {89.3f, 4000},    {98.1f, 4352}, {101.3f, 4480},
                   {104.6f, 4612}, {107.975f, 4747}, {108.0f, 4748}};
    for (const auto& p : presets) {
        char text[32];
        std::snprintf(text, sizeof text, "%f", double(p.mhz));
        const float stored = parseFrequency(text);
        EXPECT_EQ(dividerFor(stored), p.divider) << text;
        expectCardPlaysTheReadout(stored, text);
    }
}

TEST(DividerTest, ValuesThatAreNoFrequencySaturateInsteadOfOverflowing) {
    EXPECT_EQ(dividerFor(std::numeric_limits<float>::quiet_NaN()), 3948);
    EXPECT_EQ(dividerFor(1e30f), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(dividerFor(-std::numeric_limits<float>::infinity()), std::numeric_limits<int32_t>::min() + 3948);
}

TEST_F(TunerTest, TuningWithSoundSendsTheTransferThenProbes) {
    ASSERT_EQ(app.state.portAddress, 0x30Cu);
    h.port.readValue = 0xFF;
    tuneFrequency(app, 89.3f, app.state.modeFlags);

    std::vector<uint8_t> expected = transferBytes(0xC8, 4000, 0x85);
    ASSERT_EQ(expected.size(), 97u);
    expected.insert(expected.end(), {0xD8, 0xC8});
    EXPECT_EQ(h.port.writes(), expected);
    // The first bit of 4000 (0x0FA0) is 0, and the one write after the 24th bit is idle.
    EXPECT_EQ(std::vector<uint8_t>(expected.begin(), expected.begin() + 4),
              (std::vector<uint8_t>{0xC9, 0xC9, 0xCB, 0xCB}));
    EXPECT_EQ(std::vector<uint8_t>(expected.begin() + 20, expected.begin() + 24),
              (std::vector<uint8_t>{0xCD, 0xCD, 0xCF, 0xCF}));

    ASSERT_EQ(h.port.ops.size(), 100u);
    EXPECT_EQ(h.port.ops[98].kind, 'R');
    for (const PortOp& op : h.port.ops) EXPECT_EQ(op.port, 0x30C);
}

TEST_F(TunerTest, TuningMutedDropsTheSoundLineAndSendsTheMutedControl) {
    app.state.modeFlags |= MF_MUTED;
    tuneFrequency(app, 89.3f, app.state.modeFlags);

    std::vector<uint8_t> expected = transferBytes(0xC0, 4000, 0x25);
    expected.insert(expected.end(), {0xD0, 0xC0});
    EXPECT_EQ(h.port.writes(), expected);
    for (uint8_t w : h.port.writes()) EXPECT_EQ(w & lineSoundOn, 0) << int(w);
    EXPECT_EQ(expected[0], 0xC1);
    EXPECT_EQ(expected[2], 0xC3);
}

TEST_F(TunerTest, OnlyTheLow16BitsOfTheDividerAreSent) {
    for (int32_t divider : {0x12345, -1, 70000}) {
        h.port.ops.clear();
        writeSynthesizer(app, divider, 0x85);
        EXPECT_EQ(h.port.writes(), transferBytes(0xC8, uint16_t(divider & 0xFFFF), 0x85)) << divider;
    }
}

TEST_F(TunerTest, BeforeInitControlBytesTheControlByteIsZero) {
    App fresh(h.platform);
    fresh.state.portAddress = 0x30C;
    tuneFrequency(fresh, 88.0f, fresh.state.modeFlags);
    std::vector<uint8_t> expected = transferBytes(0xC8, 3948, 0x00);
    expected.insert(expected.end(), {0xD8, 0xC8});
    EXPECT_EQ(h.port.writes(), expected);
}

TEST_F(TunerTest, OnlyStatusBit02DecidesTheSignal) {
    const struct {
        uint8_t status;
        bool signal;
    } table[] = {{0x00, true}, {0xFD, true}, {0x01, true}, {0x02, false}, {0xFF, false}, {0xFE, false}};
    for (const auto& row : table) {
        for (uint32_t before : {0u, MF_SIGNAL}) {
            h.port.readValue = row.status;
            uint32_t flags = before | MF_ALARM_ON;
            tuneFrequency(app, 98.1f, flags);
            EXPECT_EQ((flags & MF_SIGNAL) != 0, row.signal) << int(row.status);
            EXPECT_EQ(flags & ~MF_SIGNAL, MF_ALARM_ON);
        }
    }
}

TEST_F(TunerTest, WaitsFollowTheTransferTheProbeAndThePulse) {
    TimedPort timed(h.clock);
    h.port.attached = &timed;
    timed.status = 0xFD;
    tuneFrequency(app, 89.3f, app.state.modeFlags);
    ASSERT_EQ(timed.events.size(), 100u);
    // 20 ms after the transfer's last write, 140 ms of probe before the read.
    EXPECT_GE(timed.events[97].tick - timed.events[96].tick, 20u);
    EXPECT_EQ(timed.events[97].value, 0xD8);
    EXPECT_GE(timed.events[98].tick - timed.events[97].tick, 140u);
    EXPECT_EQ(timed.events[98].kind, 'R');
    EXPECT_EQ(timed.events[99].tick, timed.events[98].tick);
    EXPECT_TRUE(app.state.modeFlags & MF_SIGNAL);

    timed.events.clear();
    stepVolume(app, volumeUp);
    ASSERT_EQ(timed.events.size(), 2u);
    EXPECT_GE(timed.events[1].tick - timed.events[0].tick, 70u);
}

TEST_F(TunerTest, VolumePulsePullsOneLineLowThenRestores) {
    const struct {
        bool muted;
        int direction;
        uint8_t pulse, idle;
    } table[] = {{false, volumeDown, 0x48, 0xC8}, {false, volumeUp, 0x88, 0xC8}, {false, 7, 0x88, 0xC8},
                 {true, volumeDown, 0x40, 0xC0},  {true, volumeUp, 0x80, 0xC0}};
    for (const auto& row : table) {
        h.port.ops.clear();
        app.state.modeFlags = row.muted ? MF_MUTED : 0;
        stepVolume(app, row.direction);
        EXPECT_EQ(h.port.writes(), (std::vector<uint8_t>{row.pulse, row.idle})) << row.direction;
    }
}

TEST_F(TunerTest, PortPauseIs121WordReadsOfThePort) {
    app.state.portAddress = 0x1230C;  // only the low 16 bits address the port
    portPause(app);
    ASSERT_EQ(h.port.ops.size(), 121u);
    for (const PortOp& op : h.port.ops) {
        EXPECT_EQ(op.kind, 'V');
        EXPECT_EQ(op.port, 0x230C);
    }
}

TEST(DelayTest, ZeroReturnsAfterOneFurtherReading) {
    VirtualClock clock;
    clock.stepPerRead = 0;  // even a counter that stands still
    delayMs(clock, 0);
    EXPECT_EQ(clock.reads, 2u);
}

TEST(DelayTest, WaitsUntilTheFullTimeHasPassed) {
    VirtualClock clock;
    clock.ticks = 5000;
    delayMs(clock, 140);
    EXPECT_EQ(clock.reads, 141u);  // start, then readings 5001..5140
}

// A wait whose end lies beyond the counter's wrap used to end at once.
TEST(DelayTest, WaitAcrossTheWrapLastsItsFullLength) {
    VirtualClock clock;
    clock.ticks = 0xFFFFFFF0u;
    delayMs(clock, 100);
    EXPECT_EQ(clock.reads, 101u);
}

// A counter that jumps over the end and the wrap in one step used to keep the
// wait going for a whole turn of the counter (49 days).
TEST(DelayTest, CounterSteppingOverTheWrapEndsTheWait) {
    VirtualClock clock;
    clock.ticks = 0xFFFFFFE0u;
    clock.stepPerRead = 16;  // a coarse counter: E0, F0, then 00 after the wrap
    delayMs(clock, 20);
    EXPECT_EQ(clock.reads, 3u);
}

}  // namespace
}  // namespace orv
