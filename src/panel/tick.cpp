#include "panel/tick.h"

#include <cstdio>

#include "panel/buttons.h"
#include "panel/morph.h"
#include "render/clock_readouts.h"
#include "render/indicators.h"
#include "render/readouts.h"
#include "settings/presets.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
const char* const audioSection = "AudioSettings";
constexpr int defaultAlarmStation = 1;
constexpr int secondsPerMinute = 60;

// The slumber expiry reads the lamp's off look one row higher than the other
// users do; the skin draws that lamp so that both windows onto it look right.
constexpr int expiredSlumberLampX = 215, expiredSlumberLampY = 140;

void writeInt(Profile& profile, const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    profile.writeString(audioSection, key, text);
}

void expireSlumber(App& app) {
    ReceiverState& s = app.state;
    app.platform.profile.writeString(audioSection, "SLUMBER", "0");
    s.modeFlags |= MF_MUTED;
    s.modeFlags &= ~MF_SLUMBER_ON;
    s.slumberRemaining = 0;
    releaseSlumberButton(app);
    tuneFrequency(app, s.frequency, s.modeFlags);
    drawSignalLamp(app, s.modeFlags);

    Display& display = app.platform.display;
    const IndicatorLook& lamp = indicatorLook(Indicator::SlumberLamp);
    display.beginWindowDraw();
    display.copy(Target::Window, lamp.x, lamp.y, lamp.width, lamp.height, expiredSlumberLampX, expiredSlumberLampY);
    showIndicator(app, Indicator::MuteButton, true);
    showIndicator(app, Indicator::MuteLamp, true);
    display.endWindowDraw();
}

void fireAlarm(App& app) {
    ReceiverState& s = app.state;
    Profile& profile = app.platform.profile;
    profile.writeString(audioSection, "ALARM", "0");
    releaseAlarmButton(app);
    s.modeFlags &= ~(MF_MUTED | MF_ALARM_ON);
    int station = profile.readInt(audioSection, "ALARM_STATION", defaultAlarmStation);
    if (station < 1 || station > presetCount) station = defaultAlarmStation;
    int old = s.presetIndex;
    s.presetIndex = station;
    recallPreset(app, station, old);

    Display& display = app.platform.display;
    display.beginWindowDraw();
    showIndicator(app, Indicator::MuteButton, false);
    showIndicator(app, Indicator::MuteLamp, false);
    display.endWindowDraw();
}
}  // namespace

void periodicTick(App& app) {
    morphTick(app);
    if (app.state.morphState == 0) clockTick(app, app.state.frequency, app.state.presetIndex);
}

void clockTick(App& app, double frequency, int presetNumber) {
    LocalTime now = app.platform.clock.localTime();
    drawClock(app, now.hour, now.minute);
    seekStep(app);
    if (app.state.modeFlags & MF_ALARM_SET)
        commitAlarmSetting(app, frequency, presetNumber);
    else if (app.state.modeFlags & MF_SLUMBER_SET)
        commitSlumberSetting(app, frequency, presetNumber);
    checkSlumber(app);
    checkAlarm(app);
}

void seekStep(App& app) {
    ReceiverState& s = app.state;
    uint32_t seekBit;
    if (s.modeFlags & MF_SEEK_UP)
        seekBit = MF_SEEK_UP;
    else if (s.modeFlags & MF_SEEK_DOWN)
        seekBit = MF_SEEK_DOWN;
    else
        return;
    s.frequency = fineStep(s.frequency, s.minFrequency, seekBit == MF_SEEK_UP ? 1 : -1);
    drawFrequency(app, s.frequency);
    tuneFrequency(app, s.frequency, s.modeFlags);
    if (s.modeFlags & MF_SIGNAL) {
        s.modeFlags &= ~seekBit;
        app.platform.window.setTimer(clockTimer, clockPeriodMs);
    }
    drawSignalLamp(app, s.modeFlags);
}

void commitAlarmSetting(App& app, double frequency, int presetNumber) {
    ReceiverState& s = app.state;
    Profile& profile = app.platform.profile;
    s.modeFlags &= ~MF_ALARM_SET;
    profile.writeString(audioSection, "ALARM", "1");
    writeInt(profile, "ALARM_HR", s.alarmHour);
    writeInt(profile, "ALARM_MIN", s.alarmMinute);
    writeInt(profile, "ALARM_STATION", s.presetIndex);
    drawFrequencyAndPreset(app, presetNumber, frequency);
}

void commitSlumberSetting(App& app, double frequency, int presetNumber) {
    ReceiverState& s = app.state;
    s.modeFlags &= ~MF_SLUMBER_SET;
    writeInt(app.platform.profile, "SLUMBER", s.slumberRemaining + 1);
    drawFrequencyAndPreset(app, presetNumber, frequency);
}

void checkSlumber(App& app) {
    ReceiverState& s = app.state;
    if (!(s.modeFlags & MF_SLUMBER_ON)) return;
    Clock& clock = app.platform.clock;
    if (clock.now() - s.slumberEnd > 0) {
        expireSlumber(app);
        return;
    }
    // Whole minutes left, rounded up; the end lies at most 99 minutes ahead.
    int64_t left = s.slumberEnd - clock.now();
    s.slumberRemaining = int32_t((left + secondsPerMinute - 1) / secondsPerMinute);
}

void checkAlarm(App& app) {
    ReceiverState& s = app.state;
    if (!(s.modeFlags & MF_ALARM_ON)) return;
    LocalTime now = app.platform.clock.localTime();
    if (now.hour == s.alarmHour && now.minute == s.alarmMinute) fireAlarm(app);
}

}  // namespace orv
