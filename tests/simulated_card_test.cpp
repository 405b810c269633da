// The simulated card decodes what the tuner driver clocks out and answers
// the probe from its station list; its trace records every byte.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "tuner/simulated_card.h"
#include "tuner/tuner.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string tempPath(const char* name) {
    fs::path p = fs::path(::testing::TempDir()) /
                 (std::string(name) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove(p);
    return p.string();
}

class SimulatedCardTest : public ::testing::Test {
protected:
    explicit SimulatedCardTest(SimulatorConfig config = SimulatorConfig())
        : card(std::move(config)), app(h.platform) {
        h.port.attached = &card;
        initControlBytes(app);
    }
    Headless h;
    SimulatedCard card;
    App app;
};

TEST_F(SimulatedCardTest, TuningAListedStationGivesASignal) {
    tuneFrequency(app, 89.3f, app.state.modeFlags);
    EXPECT_EQ(card.transfers(), 1);
    EXPECT_EQ(card.tunedDivider(), 4000);
    EXPECT_EQ(card.controlByte(), 0x85);
    EXPECT_NEAR(card.frequencyMHz(), 89.3, 1e-9);
    EXPECT_TRUE(card.signal());
    EXPECT_FALSE(card.muted());
    EXPECT_TRUE(app.state.modeFlags & MF_SIGNAL);
    EXPECT_EQ(card.lastWritten(), 0xC8);
}

TEST_F(SimulatedCardTest, TuningBetweenStationsGivesNoSignal) {
    app.state.modeFlags |= MF_SIGNAL;
    tuneFrequency(app, 89.0f, app.state.modeFlags);
    EXPECT_EQ(card.tunedDivider(), 3988);
    EXPECT_FALSE(card.signal());
    EXPECT_FALSE(app.state.modeFlags & MF_SIGNAL);
}

TEST_F(SimulatedCardTest, MutedTuningSendsTheMutedControlAndLowersTheSoundLine) {
    app.state.modeFlags |= MF_MUTED;
    tuneFrequency(app, 89.3f, app.state.modeFlags);
    EXPECT_EQ(card.controlByte(), 0x25);
    EXPECT_TRUE(card.muted());
    EXPECT_EQ(card.lastWritten(), 0xC0);
    EXPECT_TRUE(app.state.modeFlags & MF_SIGNAL);  // mute does not hide the station
    app.state.modeFlags &= ~MF_MUTED;
    tuneFrequency(app, 89.3f, app.state.modeFlags);
    EXPECT_FALSE(card.muted());
}

// The float 98.1 lies just below the grid point; the card still lands on
// the listed 98.1 station, as the readout shows.
TEST_F(SimulatedCardTest, FloatJustBelowAGridPointTunesTheShownStation) {
    for (float f : {98.1f, 104.6f}) {
        tuneFrequency(app, f, app.state.modeFlags);
        EXPECT_NEAR(card.frequencyMHz(), double(f), 1e-4);
        EXPECT_TRUE(app.state.modeFlags & MF_SIGNAL) << f;
    }
    EXPECT_EQ(card.tunedDivider(), 4612);
}

TEST_F(SimulatedCardTest, VolumePulsesAreCountedPerDirection) {
    stepVolume(app, volumeDown);
    stepVolume(app, volumeUp);
    stepVolume(app, volumeUp);
    EXPECT_EQ(card.volumeDownPulses(), 1);
    EXPECT_EQ(card.volumeUpPulses(), 2);
    tuneFrequency(app, 89.3f, app.state.modeFlags);  // a transfer is no pulse
    EXPECT_EQ(card.volumeUpPulses(), 2);
    EXPECT_EQ(card.volumeDownPulses(), 1);
}

TEST_F(SimulatedCardTest, TransferOfAnotherLengthIsDiscarded) {
    tuneFrequency(app, 89.3f, app.state.modeFlags);
    // 23 bits, then the enable falls.
    for (int i = 0; i < 23; ++i) {
        card.writeByte(0x30C, 0xCD);
        card.writeByte(0x30C, 0xCF);
    }
    card.writeByte(0x30C, 0xC8);
    // 25 bits.
    for (int i = 0; i < 25; ++i) {
        card.writeByte(0x30C, 0xC9);
        card.writeByte(0x30C, 0xCB);
    }
    card.writeByte(0x30C, 0xC8);
    EXPECT_EQ(card.transfers(), 1);
    EXPECT_EQ(card.tunedDivider(), 4000);
    EXPECT_EQ(card.controlByte(), 0x85);
}

TEST_F(SimulatedCardTest, StatusNeedsTheProbeLineAndAPastTransfer) {
    EXPECT_EQ(card.readByte(0x30C), 0xFF);  // nothing tuned yet
    tuneFrequency(app, 89.3f, app.state.modeFlags);
    EXPECT_EQ(card.readByte(0x30C), 0xFF);  // probe line low
    card.writeByte(0x30C, 0xD8);
    EXPECT_EQ(card.readByte(0x30C), 0xFD);
    EXPECT_EQ(card.readWord(0x30C), 0xFFFF);
}

class HalfStepTest : public SimulatedCardTest {
protected:
    static SimulatorConfig config() {
        SimulatorConfig c;
        c.stationsMHz = {100.0125};
        return c;
    }
    HalfStepTest() : SimulatedCardTest(config()) {}
};

TEST_F(HalfStepTest, AStationHalfAFineStepAwayIsReceived) {
    // Dividers 4428 and 4429 are 100.0 and 100.025 MHz, either side of the station.
    for (int32_t divider : {4428, 4429}) {
        writeSynthesizer(app, divider, 0x85);
        EXPECT_TRUE(card.signal()) << divider;
    }
    for (int32_t divider : {4427, 4430}) {
        writeSynthesizer(app, divider, 0x85);
        EXPECT_FALSE(card.signal()) << divider;
    }
}

TEST(SimulatedCardTraceTest, RecordsEveryByteAndEachCompleteTransfer) {
    const std::string trace = tempPath("trace");
    Headless h;
    {
        SimulatorConfig config;
        config.tracePath = trace;
        SimulatedCard card(config);
        h.port.attached = &card;
        App app(h.platform);
        initControlBytes(app);
        tuneFrequency(app, 89.0f, app.state.modeFlags);
        portPause(app);  // word reads leave no trace
        stepVolume(app, volumeDown);

        // Lines are on disk while the card still runs.
        EXPECT_EQ(readLines(trace).size(), 97u + 1 + 3 + 2);
        h.port.attached = nullptr;
    }
    const std::vector<std::string> lines = readLines(trace);
    ASSERT_EQ(lines.size(), 103u);
    // 3988 = 0x0F94: bits 0 and 1 are 0, bit 2 is 1.
    EXPECT_EQ(lines[0], "W C9");
    EXPECT_EQ(lines[2], "W CB");
    EXPECT_EQ(lines[8], "W CD");
    EXPECT_EQ(lines[10], "W CF");
    EXPECT_EQ(lines[96], "W C8");
    EXPECT_EQ(lines[97], "T 3988 85");
    EXPECT_EQ(lines[98], "W D8");
    EXPECT_EQ(lines[99], "R FF");
    EXPECT_EQ(lines[100], "W C8");
    EXPECT_EQ(lines[101], "W 48");
    EXPECT_EQ(lines[102], "W C8");
    for (size_t i = 0; i < 97; ++i) EXPECT_EQ(lines[i].substr(0, 2), "W ") << i;
}

TEST(SimulatedCardTraceTest, AppendsToAnExistingTraceAndReportsTheSignalRead) {
    const std::string trace = tempPath("trace");
    { std::ofstream(trace) << "earlier\n"; }
    SimulatorConfig config;
    config.tracePath = trace;
    SimulatedCard card(config);
    Headless h;
    h.port.attached = &card;
    App app(h.platform);
    initControlBytes(app);
    tuneFrequency(app, 89.3f, app.state.modeFlags);
    const std::vector<std::string> lines = readLines(trace);
    ASSERT_EQ(lines.size(), 1u + 97 + 1 + 3);
    EXPECT_EQ(lines[0], "earlier");
    EXPECT_EQ(lines[98], "T 4000 85");
    EXPECT_EQ(lines[100], "R FD");
}

TEST(SimulatorConfigTest, DefaultsWhenTheSectionIsMissing) {
    Headless h;
    const SimulatorConfig c = readSimulatorConfig(*h.profile);
    EXPECT_EQ(c.stationsMHz, (std::vector<double>{87.6, 89.3, 91.4, 94.8, 98.1, 101.3, 104.6, 106.9}));
    EXPECT_EQ(c.tracePath, "");
}

TEST(SimulatorConfigTest, ReadsStationsAndTrace) {
    Headless h;
    // Longer than the panel's 18-character strings.
    h.profile->writeString("Simulator", "STATIONS", "88.1, 90.25,92.2,95.95,99.9,102.7,107.5");
    h.profile->writeString("Simulator", "TRACE", "/tmp/a/rather/long/path/to/the/card-trace.txt");
    const SimulatorConfig c = readSimulatorConfig(*h.profile);
    EXPECT_EQ(c.stationsMHz, (std::vector<double>{88.1, 90.25, 92.2, 95.95, 99.9, 102.7, 107.5}));
    EXPECT_EQ(c.tracePath, "/tmp/a/rather/long/path/to/the/card-trace.txt");

    h.profile->writeString("Simulator", "STATIONS", "");
    EXPECT_TRUE(readSimulatorConfig(*h.profile).stationsMHz.empty());
}

TEST(SimulatorConfigTest, BadStationItemsAreSkipped) {
    EXPECT_EQ(parseStationList("abc,, 90.1 ,1e999,-5,95.5x,nan,0,100,"), (std::vector<double>{90.1, 100.0}));
    EXPECT_TRUE(parseStationList(",,,").empty());
    EXPECT_TRUE(parseStationList(std::string("\0\x01\xff", 3)).empty());
}

}  // namespace
}  // namespace orv
