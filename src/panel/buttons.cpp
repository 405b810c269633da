#include "panel/buttons.h"

#include "render/clock_readouts.h"
#include "render/indicators.h"
#include "render/readouts.h"
#include "settings/presets.h"
#include "shell/window_proc.h"
#include "tuner/frequency.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
constexpr double fineStepMHz = 0.025;
constexpr double coarseStepMHz = 0.1;
constexpr double coarseUpNudge = 0.01;    // snaps up to the next 0.1 grid point
constexpr double coarseDownNudge = 0.08;  // snaps down to the previous one
constexpr int keyColumns[5][2] = {{187, 213}, {215, 241}, {243, 269}, {271, 297}, {299, 325}};
constexpr int tenKey = 10;

// The plate place, shared by the store plate and the compact volume rocker.
constexpr int plateRight = plateX + plateWidth - 1, plateBottom = plateY + plateHeight - 1;
constexpr int storePressedX = 156, storePressedY = 136;
constexpr int storeArmedX = 105, storeArmedY = 155;
constexpr int rockerX = 103, rockerY = 223;
constexpr int rockerDownX = 151, rockerDownY = 240, rockerUpX = 151, rockerUpY = 223;
constexpr int rockerSplitX = 147;  // x at most this steps down

// Bottom row.
constexpr int rowY = 83, rowHotTop = 86, rowHotBottom = 101, rowHeight = 22;
constexpr int rockerW = 47, buttonW = 35, buttonHotBottom = 104;

enum class FrontAction {
    FineUp, FineDown, CoarseUp, CoarseDown, SeekUp, SeekDown, VolumeUp, VolumeDown,
    SlumberOff, SlumberOn, Alarm, Mute,
};

struct FrontButton {
    int left, right;          // hit range of x
    FrontAction action;
    int faceX, width;         // place of the look on the window (y 83, 22 high)
    int pressedX, pressedY;   // pressed look in panelDC
    int repeatIndex;          // into repeatRanges, -1 when the key does not repeat
};

constexpr FrontButton frontButtons[] = {
    {285, 300, FrontAction::FineUp, 257, rockerW, 3, 162, 0},
    {260, 275, FrontAction::FineDown, 257, rockerW, 3, 187, 1},
    {236, 249, FrontAction::CoarseUp, 208, rockerW, 51, 162, 2},
    {211, 226, FrontAction::CoarseDown, 208, rockerW, 51, 187, 3},
    {334, 349, FrontAction::SeekUp, 306, rockerW, 51, 162, -1},
    {309, 324, FrontAction::SeekDown, 306, rockerW, 51, 187, -1},
    {150, 165, FrontAction::VolumeUp, 122, rockerW, 3, 162, -1},
    {125, 140, FrontAction::VolumeDown, 122, rockerW, 3, 187, -1},
    {48, 82, FrontAction::SlumberOff, 48, buttonW, 272, 186, -1},
    {12, 46, FrontAction::SlumberOn, 12, buttonW, 272, 136, -1},
    {84, 118, FrontAction::Alarm, 84, buttonW, 348, 135, -1},
    {170, 204, FrontAction::Mute, 170, buttonW, 348, 135, -1},
};

void toWindow(App& app, int x, int y, int w, int h, int sx, int sy) {
    app.platform.display.copy(Target::Window, x, y, w, h, sx, sy);
}

void showPressed(App& app, const FrontButton& b) { toWindow(app, b.faceX, rowY, b.width, rowHeight, b.pressedX, b.pressedY); }

// Arms the release of a rocker half or button back to the face (or another look).
void armRelease(App& app, const FrontButton& b, int sx, int sy, int hotLeft, int hotRight, int hotBottom) {
    armFaceRestore(app, b.faceX, rowY, b.width, rowHeight, sx, sy, hotLeft, b.width == rockerW ? rowHotTop : rowY,
                   hotRight, hotBottom);
}

void pressRepeatingKey(App& app, const FrontButton& b) {
    ReceiverState& s = app.state;
    showPressed(app, b);
    s.repeatActive = true;
    s.repeatButton = b.repeatIndex;
    app.platform.window.setTimer(repeatTimer, repeatPeriodMs);
    int direction = (b.action == FrontAction::FineUp || b.action == FrontAction::CoarseUp) ? 1 : -1;
    bool fine = b.action == FrontAction::FineUp || b.action == FrontAction::FineDown;
    if (fine) {
        if (s.modeFlags & MF_ALARM_SET)
            stepAlarmMinute(app, direction);
        else
            stepFrequencyFine(app, direction);
    } else if (s.modeFlags & MF_SLUMBER_SET) {
        stepSlumberMinutes(app, direction);
    } else if (s.modeFlags & MF_ALARM_SET) {
        stepAlarmHour(app, direction);
    } else {
        stepFrequencyCoarse(app, direction);
    }
    armRelease(app, b, b.faceX, rowY, b.left, b.right, rowHotBottom);
}
}  // namespace

void restartClock(App& app) { app.platform.window.setTimer(clockTimer, clockPeriodMs); }

float bandStep(float frequency, float minFrequency, double stepMHz) {
    const double next = roundToKiloHertz(double(frequency) + stepMHz);
    if (stepMHz > 0 && next > upperBandEdge) return minFrequency;
    if (stepMHz < 0 && next < minFrequency) return upperBandEdge;
    return float(next);
}

float fineStep(float frequency, float minFrequency, int direction) {
    return bandStep(frequency, minFrequency, direction * fineStepMHz);
}

void retuneAndRedraw(App& app) {
    ReceiverState& s = app.state;
    drawFrequencyAndPreset(app, s.presetIndex, s.frequency);
    tuneFrequency(app, s.frequency, s.modeFlags);
    drawSignalLamp(app, s.modeFlags);
}

int pressPresetKey(App& app, int x, int row) {
    ReceiverState& s = app.state;
    for (int column = 0; column < 5; ++column) {
        if (x < keyColumns[column][0] || x > keyColumns[column][1]) continue;
        int digit = row == 0 ? column + 1 : column + 6;
        int old = s.presetIndex;
        int preset;
        if (s.decadeEntryActive)
            preset = digit == tenKey ? s.presetDecade : s.presetDecade + digit;
        else
            preset = digit;
        s.presetIndex = preset;
        return selectPreset(app, preset, old);
    }
    return 0;
}

void stepPresetDecade(App& app) {
    ReceiverState& s = app.state;
    if (!s.decadeEntryActive) {
        s.decadeEntryActive = true;
        s.presetDecade = 10;
    } else {
        s.presetDecade += 10;
        if (s.presetDecade > 90) s.presetDecade = 10;
    }
    app.platform.window.setTimer(decadeTimer, decadePeriodMs);
}

int pressStoreOrVolume(App& app, int x) {
    ReceiverState& s = app.state;
    if (s.panelStyle == styleFull) {
        toWindow(app, plateX, plateY, plateWidth, plateHeight, storePressedX, storePressedY);
        s.modeFlags |= MF_STORE;
        armFaceRestore(app, plateX, plateY, plateWidth, plateHeight, storeArmedX, storeArmedY, plateX, plateY, plateRight, plateBottom);
    } else {
        bool down = x <= rockerSplitX;
        toWindow(app, plateX, plateY, plateWidth, plateHeight, down ? rockerDownX : rockerUpX, down ? rockerDownY : rockerUpY);
        stepVolume(app, down ? volumeDown : volumeUp);
        armFaceRestore(app, plateX, plateY, plateWidth, plateHeight, rockerX, rockerY, plateX, plateY, plateRight, plateBottom);
        endPresetDecade(app, s.presetIndex);
    }
    return 1;
}

int pressFrontButton(App& app, int x) {
    ReceiverState& s = app.state;
    s.repeatActive = false;
    for (const FrontButton& b : frontButtons) {
        if (x < b.left || x > b.right) continue;
        switch (b.action) {
            case FrontAction::FineUp:
            case FrontAction::FineDown:
            case FrontAction::CoarseUp:
            case FrontAction::CoarseDown:
                pressRepeatingKey(app, b);
                break;
            case FrontAction::SeekUp:
            case FrontAction::SeekDown:
                if (s.modeFlags & MF_ALARM_SET) break;  // the seek waits for the alarm setting
                showPressed(app, b);
                startSeek(app, b.action == FrontAction::SeekUp ? 1 : -1);
                armRelease(app, b, b.faceX, rowY, b.left, b.right, rowHotBottom);
                break;
            case FrontAction::VolumeUp:
            case FrontAction::VolumeDown:
                showPressed(app, b);
                stepVolume(app, b.action == FrontAction::VolumeUp ? volumeUp : volumeDown);
                armRelease(app, b, b.faceX, rowY, b.left, b.right, rowHotBottom);
                break;
            case FrontAction::SlumberOff:
                slumberOff(app);
                break;
            case FrontAction::SlumberOn:
                slumberOn(app);
                break;
            case FrontAction::Alarm:
                alarmOn(app);
                break;
            case FrontAction::Mute:
                toggleMute(app);
                break;
        }
        return 1;
    }
    return 0;
}

void repeatTick(App& app) {
    if (app.state.repeatActive)
        pressFrontButton(app, app.state.lastX);
    else
        app.platform.window.killTimer(repeatTimer);
}

void stepFrequencyFine(App& app, int direction) {
    ReceiverState& s = app.state;
    s.frequency = fineStep(s.frequency, s.minFrequency, direction);
    retuneAndRedraw(app);
}

float coarseGridStep(float frequency, float minFrequency, int direction) {
    const double f = frequency;
    if (direction > 0) {
        double next = int((f + coarseStepMHz + coarseUpNudge) * 10) * coarseStepMHz;
        return next > upperBandEdge ? minFrequency : float(next);
    }
    double next = int((f - coarseStepMHz + coarseDownNudge) * 10) * coarseStepMHz;
    return next < minFrequency ? upperBandEdge : float(next);
}

void stepFrequencyCoarse(App& app, int direction) {
    ReceiverState& s = app.state;
    s.frequency = coarseGridStep(s.frequency, s.minFrequency, direction);
    retuneAndRedraw(app);
}

void stepAlarmMinute(App& app, int direction) {
    ReceiverState& s = app.state;
    if (direction > 0) {
        if (s.alarmMinute >= 59) {
            s.alarmMinute = 0;
            s.alarmHour = s.alarmHour >= 23 ? 0 : s.alarmHour + 1;
        } else {
            ++s.alarmMinute;
        }
    } else if (s.alarmMinute <= 0) {
        s.alarmMinute = 59;
        s.alarmHour = s.alarmHour <= 0 ? 23 : s.alarmHour - 1;
    } else {
        --s.alarmMinute;
    }
    drawAlarmReadout(app);
    restartClock(app);
}

void stepAlarmHour(App& app, int direction) {
    ReceiverState& s = app.state;
    if (direction > 0)
        s.alarmHour = s.alarmHour >= 23 ? 0 : s.alarmHour + 1;
    else
        s.alarmHour = s.alarmHour <= 0 ? 23 : s.alarmHour - 1;
    drawAlarmReadout(app);
    restartClock(app);
}

void stepSlumberMinutes(App& app, int direction) {
    ReceiverState& s = app.state;
    if (direction > 0)
        s.slumberMinutes = s.slumberMinutes >= 59 ? 1 : s.slumberMinutes + 1;
    else
        s.slumberMinutes = s.slumberMinutes <= 1 ? 59 : s.slumberMinutes - 1;
    s.slumberRemaining = s.slumberMinutes;
    s.slumberEnd = app.platform.clock.now() + int64_t(s.slumberMinutes) * 60;
    drawSlumberReadout(app);
    restartClock(app);
}

void startSeek(App& app, int direction) {
    ReceiverState& s = app.state;
    uint32_t seekBit = direction > 0 ? MF_SEEK_UP : MF_SEEK_DOWN;
    s.modeFlags |= seekBit;
    s.frequency = fineStep(s.frequency, s.minFrequency, direction);
    drawFrequencyAndPreset(app, s.presetIndex, s.frequency);
    tuneFrequency(app, s.frequency, s.modeFlags);
    if (s.modeFlags & MF_SIGNAL)
        s.modeFlags &= ~seekBit;  // a station at the very first step
    else
        app.platform.window.setTimer(clockTimer, seekPeriodMs);
    drawSignalLamp(app, s.modeFlags);
}

void switchMute(App& app, bool muted) {
    ReceiverState& s = app.state;
    if (muted) {
        s.modeFlags |= MF_MUTED;
        app.platform.profile.writeString("AudioSettings", "MUTE", "1");
    } else {
        s.modeFlags &= ~MF_MUTED;
    }
    tuneFrequency(app, s.frequency, s.modeFlags);
    drawSignalLamp(app, s.modeFlags);
    if (!muted) app.platform.profile.writeString("AudioSettings", "MUTE", nullptr);
}

void toggleMute(App& app) {
    ReceiverState& s = app.state;
    const FrontButton& b = frontButtons[11];
    showPressed(app, b);
    const IndicatorLook& lamp = indicatorLook(Indicator::MuteLamp);
    const IndicatorLook& key = indicatorLook(Indicator::MuteButton);
    bool nowMuted = !(s.modeFlags & MF_MUTED);
    switchMute(app, nowMuted);
    armFaceRestore(app, key.x, key.y, key.width, key.height, nowMuted ? key.onX : key.offX, nowMuted ? key.onY : key.offY,
                   key.x, rowY, key.x + key.width - 1, buttonHotBottom);
    armSecondFaceRestore(app, lamp.x, lamp.y, lamp.width, lamp.height, nowMuted ? lamp.onX : lamp.offX,
                         nowMuted ? lamp.onY : lamp.offY, key.x, rowY, key.x + key.width - 1, buttonHotBottom);
}

void slumberOn(App& app) {
    ReceiverState& s = app.state;
    const FrontButton& b = frontButtons[9];
    showPressed(app, b);
    showIndicator(app, Indicator::SlumberLamp, true);
    s.modeFlags &= ~MF_ALARM_SET;
    s.modeFlags |= MF_SLUMBER_SET | MF_SLUMBER_ON;
    if (s.slumberRemaining == 0) {
        s.slumberRemaining = s.slumberMinutes;
        s.slumberEnd = app.platform.clock.now() + int64_t(s.slumberRemaining) * 60;
    }
    const IndicatorLook& key = indicatorLook(Indicator::SlumberButton);
    armFaceRestore(app, key.x, key.y, key.width, key.height, key.onX, key.onY, b.left, rowY, b.right, buttonHotBottom);
    clearReadout(app);
    drawSlumberReadout(app);
    restartClock(app);
}

void slumberOff(App& app) {
    ReceiverState& s = app.state;
    app.platform.profile.writeString("AudioSettings", "SLUMBER", "0");
    const FrontButton& b = frontButtons[8];
    showPressed(app, b);
    showIndicator(app, Indicator::SlumberLamp, false);
    s.modeFlags &= ~(MF_SLUMBER_SET | MF_SLUMBER_ON);
    s.slumberRemaining = 0;
    s.slumberEnd = app.platform.clock.now();
    drawFrequencyAndPreset(app, s.presetIndex, s.frequency);
    armFaceRestore(app, b.faceX, rowY, b.width, rowHeight, b.faceX, rowY, b.left, rowY, b.right, buttonHotBottom);
    const IndicatorLook& on = indicatorLook(Indicator::SlumberButton);
    armSecondFaceRestore(app, on.x, on.y, on.width, on.height, on.offX, on.offY, on.x, on.y, on.x + on.width - 1,
                         buttonHotBottom);
}

void alarmOn(App& app) {
    ReceiverState& s = app.state;
    const FrontButton& b = frontButtons[10];
    showPressed(app, b);
    showIndicator(app, Indicator::AlarmLamp, true);
    s.modeFlags &= ~MF_SLUMBER_SET;
    s.modeFlags |= MF_ALARM_SET | MF_ALARM_ON;
    clearReadout(app);
    drawAlarmReadout(app);
    restartClock(app);
    const IndicatorLook& key = indicatorLook(Indicator::AlarmButton);
    armFaceRestore(app, key.x, key.y, key.width, key.height, key.onX, key.onY, b.left, rowY, b.right, buttonHotBottom);
}

}  // namespace orv
