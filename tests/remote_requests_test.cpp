// What other programs are told and may ask: the status in its two forms,
// and tune, preset step and mute acting as the panel's own controls.
#include <gtest/gtest.h>

#include <cmath>

#include "panel/buttons.h"
#include "panel/media_keys.h"
#include "panel_fixture.h"
#include "render/indicators.h"
#include "shell/panel_status.h"
#include "shell/remote_requests.h"
#include "shell/window_proc.h"

namespace orv::test {
namespace {

std::string valueOf(const PanelStatus& status, const char* key) {
    for (const StatusField& f : statusFields(status))
        if (f.key == key) return f.value;
    return "<none>";
}

TEST(PanelStatusText, LinesAndJsonSayTheSameWithJsonTypes) {
    PanelStatus st;
    st.frequency = "98.100";
    st.preset = 7;
    st.muted = true;
    st.signal = false;
    st.style = styleMini;
    st.card = "simulated card";
    st.levelKnown = true;
    st.levelDb = -12;
    EXPECT_EQ(statusLines(st),
              "frequency: 98.100\npreset: 7\nmuted: yes\nsignal: no\nstyle: mini\ncard: simulated card\nlevel: -12\n");
    EXPECT_EQ(statusJson(st), "{\"frequency\": 98.100, \"preset\": 7, \"muted\": true, \"signal\": false, "
                              "\"style\": \"mini\", \"card\": \"simulated card\", \"level\": -12}\n");
}

TEST(PanelStatusText, OptionalKeysAppearOnlyWhenSet) {
    PanelStatus st;
    st.frequency = "87.500";
    EXPECT_EQ(valueOf(st, "slumber"), "<none>");
    EXPECT_EQ(valueOf(st, "alarm"), "<none>");
    EXPECT_EQ(valueOf(st, "level"), "<none>");
    EXPECT_EQ(valueOf(st, "station"), "<none>");
    EXPECT_EQ(valueOf(st, "card"), "<none>");
    st.slumberOn = true;
    st.slumberMinutes = 17;
    st.alarmOn = true;
    st.alarmHour = 6;
    st.alarmMinute = 5;
    st.station.name = "RADIO 1";
    st.station.pi = 0xD3C2;
    st.station.flagsKnown = true;
    st.station.ta = true;
    EXPECT_EQ(valueOf(st, "slumber"), "17");
    EXPECT_EQ(valueOf(st, "alarm"), "06:05");
    EXPECT_EQ(valueOf(st, "station"), "RADIO 1");
    EXPECT_EQ(valueOf(st, "pi"), "D3C2");
    EXPECT_EQ(valueOf(st, "tp"), "no");
    EXPECT_EQ(valueOf(st, "ta"), "yes");
}

TEST(PanelStatusText, BroadcastTextCannotBreakTheLinesOrTheJson) {
    PanelStatus st;
    st.frequency = "98.100";
    st.station.name = "A\"B\\C";
    st.station.text = std::string("line\none\r\x01 caf\xC3\xA9 \xFF\xC3", 19);
    const std::string lines = statusLines(st);
    EXPECT_NE(lines.find("text: line one \x01 caf\xC3\xA9"), std::string::npos) << lines;
    const std::string json = statusJson(st);
    EXPECT_NE(json.find("\"station\": \"A\\\"B\\\\C\""), std::string::npos) << json;
    // Controls escaped, good UTF-8 kept, a bad byte and a cut sequence replaced.
    EXPECT_NE(json.find("\"text\": \"line\\u000aone\\u000d\\u0001 caf\xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD\""),
              std::string::npos)
        << json;
    EXPECT_EQ(jsonString("\xE0\x80\xAFx"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx\"");  // an overlong '/', byte by byte
    EXPECT_EQ(jsonString("\xED\xA0\x80x"), "\"\xEF\xBF\xBDx\"");  // a surrogate
    EXPECT_EQ(jsonString("\xF0\x9F\x93\xBB"), "\"\xF0\x9F\x93\xBB\"");                  // a radio
}

TEST(PanelStatusText, StationNewsOncePerChange) {
    StationInfo was, now;
    EXPECT_TRUE(stationNews(was, now).empty());
    now.name = "RADIO 1";
    now.pi = 0x1234;
    EXPECT_EQ(stationNews(was, now), std::vector<std::string>{"station: RADIO 1"});
    was = now;
    EXPECT_TRUE(stationNews(was, now).empty());  // the same again says nothing
    now.text = "Now:\nthe news";
    EXPECT_EQ(stationNews(was, now), std::vector<std::string>{"text: Now: the news"});
    was = now;
    now = StationInfo{};  // retuned: gone, and nothing to say about it
    EXPECT_TRUE(stationNews(was, now).empty());
    EXPECT_EQ(stationNews(now, was).size(), 2u);  // back: both again
}

TEST(RemoteRequests, TheBandIsCheckedAsGivenAndTheTuningLandsOnTheGrid) {
    CardPanel p;
    EXPECT_FALSE(tuneToFrequency(p.app, 86.9));
    EXPECT_FALSE(tuneToFrequency(p.app, 108.1));
    EXPECT_FALSE(tuneToFrequency(p.app, 108.000001));  // would round to 108.0
    EXPECT_FALSE(tuneToFrequency(p.app, 86.99));       // would round to 87.0
    EXPECT_FALSE(tuneToFrequency(p.app, std::nan("")));
    EXPECT_DOUBLE_EQ(p.card.frequencyMHz(), 89.0);  // nothing was tuned
    const struct {
        double asked;
        double tuned;
    } cases[] = {{98.1, 98.1}, {101.31, 101.3}, {101.3125, 101.325}, {87.0, 87.0}, {108.0, 108.0}, {107.99, 108.0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(tuneToFrequency(p.app, c.asked)) << c.asked;
        EXPECT_NEAR(p.card.frequencyMHz(), c.tuned, 1e-6) << c.asked;
        EXPECT_EQ(panelStatus(p.app).frequencyKHz, int64_t(c.tuned * 1000 + 0.5)) << c.asked;
    }
}

TEST(RemoteRequests, PresetStepsWrapAndSayWhetherThePresetIsTuned) {
    CardPanel p;
    ASSERT_EQ(p.s().presetIndex, 1);
    stepPreset(p.app, -1);
    EXPECT_EQ(p.s().presetIndex, 99);
    EXPECT_EQ(p.saved("RadioStation", "STATION"), "99");
    stepPreset(p.app, +1);
    stepPreset(p.app, +1);
    EXPECT_EQ(p.s().presetIndex, 2);
    PanelStatus st = panelStatus(p.app);
    EXPECT_EQ(st.preset, 2);
    EXPECT_TRUE(st.presetTuned);
    stepFrequencyFine(p.app, +1);
    st = panelStatus(p.app);
    EXPECT_EQ(st.frequency, "89.025");
    EXPECT_FALSE(st.presetTuned);  // the readout no longer shows the preset's frequency
}

TEST(RemoteRequests, MuteAsTheButtonDoesOnlyWhenItChanges) {
    CardPanel p(true);
    setMuted(p.app, true);
    EXPECT_TRUE(p.card.muted());
    EXPECT_EQ(p.saved("AudioSettings", "MUTE"), "1");
    EXPECT_TRUE(panelStatus(p.app).muted);
    const size_t ops = p.h.port.ops.size();
    setMuted(p.app, true);  // already muted: the card is not touched
    EXPECT_EQ(p.h.port.ops.size(), ops);
    setMuted(p.app, false);
    EXPECT_FALSE(p.card.muted());
    EXPECT_EQ(p.saved("AudioSettings", "MUTE"), "<none>");
}

TEST(MediaKeys, PlayPauseAndTracksAreMuteAndPresets) {
    CardPanel p;
    handleMediaKey(p.app, MediaKey::PlayPause);
    EXPECT_TRUE(p.card.muted());
    handleMediaKey(p.app, MediaKey::Pause);  // stays paused
    EXPECT_TRUE(p.card.muted());
    handleMediaKey(p.app, MediaKey::Play);
    EXPECT_FALSE(p.card.muted());
    handleMediaKey(p.app, MediaKey::Stop);
    EXPECT_TRUE(p.card.muted());
    handleMediaKey(p.app, MediaKey::VolumeMute);
    EXPECT_FALSE(p.card.muted());
    handleMediaKey(p.app, MediaKey::PreviousTrack);
    EXPECT_EQ(p.s().presetIndex, 99);
    handleMediaKey(p.app, MediaKey::NextTrack);
    EXPECT_EQ(p.s().presetIndex, 1);
    const int ups = p.card.volumeUpPulses();
    handleMediaKey(p.app, MediaKey::VolumeUp);
    EXPECT_EQ(p.card.volumeUpPulses(), ups + 1);

    // While the panel morphs, a preset change waits; mute and volume do not.
    p.s().morphState = 1;
    handleMediaKey(p.app, MediaKey::NextTrack);
    EXPECT_EQ(p.s().presetIndex, 1);
    handleMediaKey(p.app, MediaKey::PlayPause);
    EXPECT_TRUE(p.card.muted());
}

}  // namespace
}  // namespace orv::test
