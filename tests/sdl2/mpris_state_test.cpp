// What the desktop's player controls are told about the panel: playback
// status, metadata and volume from the status, the level a volume asks for,
// which properties changed, and the strings and paths the bus takes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "platform/sdl2/mpris_state.h"

namespace orv::mpris {
namespace {

PanelStatus tunedToPreset3() {
    PanelStatus s;
    s.frequency = "98.100";
    s.frequencyKHz = 98100;
    s.preset = 3;
    s.presetTuned = true;
    s.levelKnown = true;
    s.levelDb = -6;
    return s;
}

TEST(MprisState, PlaybackStatusFollowsTheMute) {
    PanelStatus s = tunedToPreset3();
    EXPECT_EQ(playerState(s, false, "").playbackStatus, "Playing");
    s.muted = true;
    EXPECT_EQ(playerState(s, false, "").playbackStatus, "Paused");
}

TEST(MprisState, MetadataOfAPresetAndOfAFrequencyOffThePresets) {
    PanelStatus s = tunedToPreset3();
    Metadata m = playerState(s, false, "file:///icon.png").metadata;
    EXPECT_EQ(m.trackId, "/org/orvanta/Orvanta/preset/3");
    EXPECT_EQ(m.title, "98.100 MHz");
    EXPECT_EQ(m.album, "Preset 3");
    EXPECT_TRUE(m.artists.empty());
    EXPECT_EQ(m.artUrl, "file:///icon.png");

    // Tuned away from the selected preset: no track, no album.
    s.presetTuned = false;
    s.frequency = "98.125";
    m = playerState(s, false, "").metadata;
    EXPECT_STREQ(m.trackId.c_str(), noTrack);
    EXPECT_EQ(m.title, "98.125 MHz");
    EXPECT_EQ(m.album, "");
    EXPECT_EQ(m.artUrl, "");
}

TEST(MprisState, StationNameAndRadioTextWhenBroadcast) {
    PanelStatus s = tunedToPreset3();
    s.station.name = "  RADIO ";  // padded to eight characters as sent
    s.station.text = "Now playing: a song";
    Metadata m = playerState(s, false, "").metadata;
    EXPECT_EQ(m.title, "98.100 MHz \xC2\xB7 RADIO");
    ASSERT_EQ(m.artists.size(), 1u);
    EXPECT_EQ(m.artists[0], "Now playing: a song");

    // A name of spaces only is no name; a text of spaces no text.
    s.station.name = "        ";
    s.station.text = "   ";
    m = playerState(s, false, "").metadata;
    EXPECT_EQ(m.title, "98.100 MHz");
    EXPECT_TRUE(m.artists.empty());

    // Broken bytes from the air never reach the bus as such.
    s.station.name = "AB\xFF\xC3";
    s.station.text = std::string("x\0y", 3);
    m = playerState(s, false, "").metadata;
    EXPECT_EQ(m.title, "98.100 MHz \xC2\xB7 AB\xEF\xBF\xBD\xEF\xBF\xBD");
    ASSERT_EQ(m.artists.size(), 1u);
    EXPECT_EQ(m.artists[0], "xy");
}

TEST(MprisState, EveryTrackIdIsAnObjectPath) {
    for (int preset = 1; preset <= 99; ++preset)
        EXPECT_GT(sd_bus_object_path_is_valid(presetTrackId(preset).c_str()), 0) << preset;
    EXPECT_GT(sd_bus_object_path_is_valid(noTrack), 0);
    EXPECT_NE(presetTrackId(12), presetTrackId(1));
}

TEST(MprisState, VolumeIsTheLevelAsAFactor) {
    EXPECT_DOUBLE_EQ(volumeForLevel(0), 1.0);
    EXPECT_NEAR(volumeForLevel(-60), 0.001, 1e-12);
    EXPECT_NEAR(volumeForLevel(-6), 0.501187, 1e-6);
    PanelStatus s = tunedToPreset3();
    EXPECT_NEAR(playerState(s, false, "").volume, 0.501187, 1e-6);
    // A card that steps a volume of its own: full as far as the desktop knows.
    s.levelKnown = false;
    s.levelDb = -40;
    EXPECT_EQ(playerState(s, false, "").volume, fullVolume);
}

TEST(MprisState, VolumeTakesTheNearestLevelStep) {
    int level = 1;
    for (int db = -60; db <= 0; db += 2) {  // every step there and back
        ASSERT_TRUE(levelForVolume(volumeForLevel(db), level));
        EXPECT_EQ(level, db);
    }
    struct Case {
        double volume;
        int level;
    };
    const Case cases[] = {
        {0.5, -6},       {0.3, -10},   {0.9, 0},  // -0.9 dB
        {0.85, -2},                               // -1.4 dB
        {1.5, 0},        {1e9, 0},     {std::numeric_limits<double>::infinity(), 0},
        {0.0005, -60},   {0.0, -60},   {-0.0, -60}, {-3.0, -60},
        {std::numeric_limits<double>::denorm_min(), -60},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(levelForVolume(c.volume, level)) << c.volume;
        EXPECT_EQ(level, c.level) << c.volume;
    }
    EXPECT_FALSE(levelForVolume(std::nan(""), level));
}

TEST(MprisState, ChangesNameWhatTheDesktopMustBeTold) {
    const PanelStatus s = tunedToPreset3();
    const PlayerState before = playerState(s, false, "");
    EXPECT_FALSE(changes(before, playerState(s, false, "")).any());

    PanelStatus t = s;
    t.muted = true;
    Changes c = changes(before, playerState(t, false, ""));
    EXPECT_EQ(c.player, std::vector<std::string>{"PlaybackStatus"});
    EXPECT_TRUE(c.root.empty());

    t = s;
    t.preset = 4;
    EXPECT_EQ(changes(before, playerState(t, false, "")).player, std::vector<std::string>{"Metadata"});
    t = s;
    t.station.text = "news";
    EXPECT_EQ(changes(before, playerState(t, false, "")).player, std::vector<std::string>{"Metadata"});
    t = s;
    t.levelDb = -8;
    EXPECT_EQ(changes(before, playerState(t, false, "")).player, std::vector<std::string>{"Volume"});

    c = changes(before, playerState(s, true, ""));
    EXPECT_TRUE(c.player.empty());
    EXPECT_EQ(c.root, std::vector<std::string>{"CanQuit"});

    // What the desktop does not see changes nothing: the signal lamp, a level not ours.
    t = s;
    t.signal = true;
    EXPECT_FALSE(changes(before, playerState(t, false, "")).any());
    PanelStatus u = s;
    u.levelKnown = false;
    const PlayerState unknown = playerState(u, false, "");
    u.levelDb = -30;
    EXPECT_FALSE(changes(unknown, playerState(u, false, "")).any());

    // Several at once, in a stable order.
    t = s;
    t.muted = true;
    t.presetTuned = false;
    t.levelDb = 0;
    c = changes(before, playerState(t, true, ""));
    EXPECT_EQ(c.player, (std::vector<std::string>{"PlaybackStatus", "Metadata", "Volume"}));
    EXPECT_EQ(c.root, std::vector<std::string>{"CanQuit"});
}

TEST(MprisState, FileUrlsEncodeWhatAUrlCannotHold) {
    EXPECT_EQ(fileUrl("/usr/share/icons/hicolor/256x256/apps/org.orvanta.Orvanta.png"),
              "file:///usr/share/icons/hicolor/256x256/apps/org.orvanta.Orvanta.png");
    EXPECT_EQ(fileUrl("/home/a b/100%/#?x.png"), "file:///home/a%20b/100%25/%23%3Fx.png");
    EXPECT_EQ(fileUrl("/h\xC3\xA9/~x_y-z"), "file:///h%C3%A9/~x_y-z");
}

TEST(MprisState, StringsAreMadeValidUtf8ForTheBus) {
    struct Case {
        std::string in, out;
    };
    const std::string bad = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"plain", "plain"},
        {"\xC3\x84 \xE2\x82\xAC \xF0\x9F\x8E\xB5", "\xC3\x84 \xE2\x82\xAC \xF0\x9F\x8E\xB5"},  // Ä € 🎵
        {"a\x80z", "a" + bad + "z"},              // a stray continuation byte
        {"ab\xE2\x82", "ab" + bad + bad},          // cut short at the end
        {"\xE2\x82z", bad + bad + "z"},            // cut short before a letter
        {"\xC0\xAF", bad + bad},                   // an overlong "/"
        {"\xED\xA0\x80", bad},                     // a UTF-16 surrogate
        {"\xF4\x90\x80\x80", bad},                 // past U+10FFFF
        {"\xEF\xBF\xBF", bad},                     // the noncharacter U+FFFF
        {"\xFE\xFF", bad + bad},
        {std::string("a\0b\0", 4), "ab"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(validUtf8(c.in), c.out) << c.in;
}

class IconFolders : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/orvanta-icon.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        root_ = name;
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
    // Makes the folders of path below root and an empty file at path.
    void touch(const std::string& path) {
        for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            mkdir((root_ + "/" + path.substr(0, slash)).c_str(), 0700);
        std::ofstream(root_ + "/" + path) << "png";
    }
    std::string root_;
};

TEST_F(IconFolders, InstalledBesideTheDataFolder) {
    touch("share/orvanta/text.dat");
    touch("share/icons/hicolor/256x256/apps/org.orvanta.Orvanta.png");
    touch("share/icons/hicolor/48x48/apps/org.orvanta.Orvanta.png");
    EXPECT_EQ(iconPath(root_ + "/share/orvanta"), root_ + "/share/icons/hicolor/256x256/apps/org.orvanta.Orvanta.png");
}

TEST_F(IconFolders, InTheBuildTreeAndNowhere) {
    touch("build/text.dat");
    EXPECT_EQ(iconPath(root_ + "/build"), "");
    touch("build/icons/32x32/org.orvanta.Orvanta.png");  // no other size stands in
    EXPECT_EQ(iconPath(root_ + "/build"), "");
    touch("build/icons/256x256/org.orvanta.Orvanta.png");
    EXPECT_EQ(iconPath(root_ + "/build"), root_ + "/build/icons/256x256/org.orvanta.Orvanta.png");
    EXPECT_EQ(iconPath(root_ + "/missing"), "");
}

}  // namespace
}  // namespace orv::mpris
