#include "settings/shutdown.h"

#include <cstdio>

#include "shell/paint.h"
#include "shell/startup.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
const char* const quitQuestion = "Do you want the music to be in the background";
const char* const quitTitle = "Power-off Message";

void writeInt(Profile& profile, const char* section, const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    profile.writeString(section, key, text);
}

// Retunes the current preset's stored frequency, muted or sounding.
void retuneCurrentPreset(App& app, bool muted) {
    ReceiverState& s = app.state;
    if (muted)
        s.modeFlags |= MF_MUTED;
    else
        s.modeFlags &= ~MF_MUTED;
    s.frequency = s.presetTable[s.presetIndex - 1];
    tuneFrequency(app, s.frequency, s.modeFlags);
}
}  // namespace

void releaseSkinResources(App& app) {
    ReceiverState& s = app.state;
    app.platform.display.releaseSkin();
    s.panelSurface = false;
    s.skinPalette = false;
    s.skinBlock.clear();
    s.skinBlock.shrink_to_fit();
}

void saveShutdownRecord(App& app) {
    ReceiverState& s = app.state;
    Profile& profile = app.platform.profile;
    writeInt(profile, "AudioSettings", "SLUMBER", (s.modeFlags & MF_SLUMBER_ON) ? s.slumberRemaining : 0);
    if (s.modeFlags & MF_ALARM_ON) {
        profile.writeString("AudioSettings", "ALARM", "1");
        writeInt(profile, "AudioSettings", "ALARM_HR", s.alarmHour);
        writeInt(profile, "AudioSettings", "ALARM_MIN", s.alarmMinute);
        writeInt(profile, "AudioSettings", "ALARM_STATION", s.alarmPreset);
    } else {
        profile.writeString("AudioSettings", "ALARM", "0");
    }
    writeInt(profile, "Position", "X", s.windowX);
    writeInt(profile, "Position", "Y", s.windowY);
}

void closePanel(App& app) {
    ReceiverState& s = app.state;
    Profile& profile = app.platform.profile;
    // A second close request while the question is open is ignored, so the
    // skin and the window are never released twice.
    if (s.closing || s.skinReleased) return;
    // A drag in progress ends first, as a release would end it: its outline
    // comes off the screen and the screen's drawing context is closed.
    if (s.dragging) endDrag(app);
    if (profile.readInt("System", "Quit", 1) != 0) {
        s.closing = true;
        BoxAnswer answer = app.platform.dialogs.messageBox(quitQuestion, quitTitle, BoxKind::YesNoCancel);
        s.closing = false;
        if (s.skinReleased) return;
        if (answer == BoxAnswer::Cancel) return;
        retuneCurrentPreset(app, answer == BoxAnswer::No);
    }
    saveShutdownRecord(app);
    closeHelp(app);
    releaseSkinResources(app);
    s.skinReleased = true;
    app.platform.window.destroy();
}

void endSession(App& app) {
    ReceiverState& s = app.state;
    if (s.skinReleased) return;
    if (s.dragging) endDrag(app);
    saveShutdownRecord(app);
}

}  // namespace orv
