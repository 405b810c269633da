// The start-up read of the settings file: defaults, range rules and the
// text conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>

#include "platform/headless/headless.h"
#include "settings/settings.h"
#include "tuner/tuner.h"

namespace orv {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : app(h.platform) {}
    void set(const char* section, const char* key, const char* value) {
        h.profile->writeString(section, key, value);
    }
    Headless h;
    App app;
};

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
    h.clock.local = {7, 45};
    loadSettings(app);
    const ReceiverState& s = app.state;
    EXPECT_EQ(s.portAddress, 0x30Cu);
    EXPECT_EQ(s.minFrequency, 87.0f);
    for (int n = 0; n < presetCount; ++n) EXPECT_EQ(s.presetTable[n], 89.0f) << n;
    EXPECT_EQ(s.presetIndex, 1);
    EXPECT_EQ(s.frequency, 89.0f);
    EXPECT_EQ(s.modeFlags, 0u);
    EXPECT_EQ(s.panelStyle, 0);
    EXPECT_EQ(s.alarmHour, 7);
    EXPECT_EQ(s.alarmMinute, 45);
    EXPECT_EQ(s.controlSoundOn, 0x85);
    EXPECT_EQ(s.controlMuted, 0x25);
    EXPECT_FALSE(std::ifstream(h.profile->path()).good()) << "reading must not create the file";
}

TEST_F(SettingsTest, PresetsOutsideTheBandAreRaisedToTheLowerEdge) {
    set("RADIOSTATION", "STATION1", "120");
    set("RadioStation", "Station2", "80");
    set("RadioStation", "STATION3", "108");
    set("RadioStation", "STATION4", "87");
    set("RadioStation", "STATION5", "nan");
    set("RadioStation", "STATION6", "not a number");
    set("RadioStation", "STATION7", "98.099998");
    set("RadioStation", "STATION99", "-inf");
    loadSettings(app);
    const float* t = app.state.presetTable;
    EXPECT_EQ(t[0], 87.0f);
    EXPECT_EQ(t[1], 87.0f);
    EXPECT_EQ(t[2], 108.0f);
    EXPECT_EQ(t[3], 87.0f);
    EXPECT_EQ(t[4], 87.0f);
    EXPECT_EQ(t[5], 87.0f);
    EXPECT_EQ(t[6], 98.1f);  // the "%f" text of 98.1 reads back as the same float
    EXPECT_EQ(t[98], 87.0f);
}

TEST_F(SettingsTest, AHigherLowerEdgeRaisesPresetsBelowIt) {
    set("SYSTEM", "MIN", "88");
    set("RadioStation", "STATION1", "87.5");
    loadSettings(app);
    EXPECT_EQ(app.state.minFrequency, 88.0f);
    EXPECT_EQ(app.state.presetTable[0], 88.0f);
    EXPECT_EQ(app.state.frequency, 88.0f);
    EXPECT_EQ(app.state.presetTable[1], 89.0f);
}

TEST(ClampPresetsTest, WalksAllHundredSlotsAndKeepsTheBounds) {
    float table[presetSlots] = {};
    for (float& f : table) f = 95.0f;
    table[0] = std::numeric_limits<float>::quiet_NaN();
    table[1] = 87.5f;
    table[2] = 108.0f;
    table[3] = 108.00001f;
    table[4] = 87.49999f;
    table[99] = 0.0f;
    clampPresets(table, 87.5f);
    EXPECT_EQ(table[0], 87.5f);
    EXPECT_EQ(table[1], 87.5f);
    EXPECT_EQ(table[2], 108.0f);
    EXPECT_EQ(table[3], 87.5f);
    EXPECT_EQ(table[4], 87.5f);
    EXPECT_EQ(table[5], 95.0f);
    EXPECT_EQ(table[99], 87.5f);
}

TEST_F(SettingsTest, StationOutsideOneTo99SelectsPresetOne) {
    const struct {
        const char* text;
        int preset;
    } table[] = {{nullptr, 1}, {"0", 1}, {"100", 1}, {"-3", 1}, {"99", 99}, {"42", 42}, {" 7x", 7}, {"abc", 1}};
    for (const auto& row : table) {
        set("RadioStation", "STATION", row.text);
        set("RadioStation", "STATION42", "101.3");
        App a(h.platform);
        loadSettings(a);
        EXPECT_EQ(a.state.presetIndex, row.preset) << (row.text ? row.text : "(missing)");
        EXPECT_EQ(a.state.frequency, a.state.presetTable[row.preset - 1]);
    }
}

TEST_F(SettingsTest, OnlyMuteOneMutes) {
    const struct {
        const char* text;
        bool muted;
    } table[] = {{nullptr, false}, {"0", false}, {"2", false}, {"1", true}, {" 1", true}, {"-1", false}};
    for (const auto& row : table) {
        set("AudioSettings", "MUTE", row.text);
        App a(h.platform);
        loadSettings(a);
        EXPECT_EQ((a.state.modeFlags & MF_MUTED) != 0, row.muted) << (row.text ? row.text : "(missing)");
    }
}

TEST_F(SettingsTest, StyleOutsideZeroToTwoBecomesZero) {
    const struct {
        const char* text;
        int style;
    } table[] = {{"3", 0}, {"-1", 0}, {"1", 1}, {"2", 2}, {"x", 0}};
    for (const auto& row : table) {
        set("System", "style", row.text);
        App a(h.platform);
        loadSettings(a);
        EXPECT_EQ(a.state.panelStyle, row.style) << row.text;
    }
}

TEST_F(SettingsTest, AddressIsHexAndTheBandEdgeIsTakenAsItIs) {
    set("SYSTEM", "ADDR", "2a0h");
    set("SYSTEM", "MIN", "76.5");
    loadSettings(app);
    EXPECT_EQ(app.state.portAddress, 0x2A0u);
    EXPECT_EQ(app.state.minFrequency, 76.5f);
    EXPECT_EQ(app.state.presetTable[0], 89.0f);
}

// A band edge far beyond the band used to overflow the divider conversion.
TEST_F(SettingsTest, AbsurdLowerEdgeStillTunesSafely) {
    set("SYSTEM", "MIN", "1e30");
    loadSettings(app);
    EXPECT_EQ(app.state.frequency, 1e30f);
    tuneFrequency(app, app.state.frequency, app.state.modeFlags);
    EXPECT_EQ(h.port.writes().size(), 99u);
}

TEST(ParseHexTest, StopsAtTheFirstNonHexCharacter) {
    const struct {
        const char* text;
        uint32_t value;
    } table[] = {{"30c", 0x30C},       {"30C", 0x30C},     {"0x300", 0},          {"2A0h", 0x2A0},
                 {"", 0},              {" 30C", 0},        {"fFfF", 0xFFFF},      {"12345678", 0x12345678},
                 {"123456789", 0x23456789}, {"ABCDEF0123", 0xCDEF0123u}, {"g1", 0}};
    for (const auto& row : table) EXPECT_EQ(parseHex(row.text), row.value) << row.text;
    EXPECT_EQ(parseHex(nullptr), 0u);
}

TEST(ParseFrequencyTest, StandardConversionThenSinglePrecision) {
    EXPECT_EQ(parseFrequency("89"), 89.0f);
    EXPECT_EQ(parseFrequency("  98.1"), 98.1f);
    EXPECT_EQ(parseFrequency("101.3MHz"), 101.3f);
    EXPECT_EQ(parseFrequency("-2.5"), -2.5f);
    EXPECT_EQ(parseFrequency("abc"), 0.0f);
    EXPECT_EQ(parseFrequency(""), 0.0f);
    EXPECT_EQ(parseFrequency("1e999"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(parseFrequency("-1e300"), -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(parseFrequency("nan")));
}

TEST_F(SettingsTest, PresetTextIsCutAfter18Characters) {
    // The first 18 characters are "100.10000000000000", the rest is lost.
    set("RadioStation", "STATION1", "100.1000000000000099999");
    set("RadioStation", "STATION2", "0000000000000000001");  // 19 digits: the 1 is cut off
    loadSettings(app);
    EXPECT_EQ(app.state.presetTable[0], 100.1f);
    EXPECT_EQ(app.state.presetTable[1], 87.0f);  // read as 0, then raised
}

}  // namespace
}  // namespace orv
