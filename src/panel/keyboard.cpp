#include "panel/keyboard.h"

#include "panel/buttons.h"
#include "render/clock_readouts.h"
#include "render/indicators.h"
#include "render/readouts.h"
#include "settings/presets.h"
#include "settings/shutdown.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "tuner/tuner.h"

namespace orv {

namespace {
constexpr double coarseStepMHz = 0.1;
constexpr int shortestSlumber = 1, longestSlumber = 99;
constexpr int secondsPerMinute = 60;
constexpr int storeArmedX = 105, storeArmedY = 155;  // the armed store plate in panelDC

using Command = void (*)(App& app, int argument);

struct KeyBinding {
    unsigned code;
    Command command;
    int argument;       // direction, preset number or volume step
    bool duringMorph;   // also acts while a style morph runs
};

bool slumberWindowOpen(const App& app) { return (app.state.modeFlags & MF_SLUMBER_SET) != 0; }
bool alarmWindowOpen(const App& app) { return (app.state.modeFlags & MF_ALARM_SET) != 0; }

void coarseTune(App& app, int direction) {
    ReceiverState& s = app.state;
    s.frequency = coarseKeyStep(s.frequency, s.minFrequency, direction);
    retuneAndRedraw(app);
}

void stepSlumberLength(App& app, int direction) {
    ReceiverState& s = app.state;
    int next = s.slumberMinutes + direction;
    if (next >= shortestSlumber && next <= longestSlumber) {
        s.slumberMinutes = next;
        s.slumberRemaining = next;
        s.slumberEnd = app.platform.clock.now() + int64_t(next) * secondsPerMinute;
        drawSlumberReadout(app);
    }
    restartClock(app);
}

// Left and right: nothing in the slumber window, the alarm minute in the alarm window, else a fine tune.
void sideArrow(App& app, int direction) {
    if (slumberWindowOpen(app)) return;
    if (alarmWindowOpen(app))
        stepAlarmMinute(app, direction);
    else
        stepFrequencyFine(app, direction);
}

// Up and down: the slumber length, else the alarm hour, else a coarse tune.
void upDownArrow(App& app, int direction) {
    if (slumberWindowOpen(app))
        stepSlumberLength(app, direction);
    else if (alarmWindowOpen(app))
        stepAlarmHour(app, direction);
    else
        coarseTune(app, direction);
}

void selectPresetKey(App& app, int preset) {
    ReceiverState& s = app.state;
    int old = s.presetIndex;
    s.presetIndex = preset;
    selectPreset(app, preset, old);
}

void alarmOnKey(App& app, int) {
    ReceiverState& s = app.state;
    s.modeFlags |= MF_ALARM_SET | MF_ALARM_ON;
    clearReadout(app);
    drawAlarmReadout(app);
    restartClock(app);
    Display& display = app.platform.display;
    display.beginWindowDraw();
    showIndicator(app, Indicator::AlarmLamp, true);
    showIndicator(app, Indicator::AlarmButton, true);
    display.endWindowDraw();
}

void helpKey(App& app, int) { ShowHelp(app); }

void slumberOnKey(App& app, int) {
    ReceiverState& s = app.state;
    s.modeFlags |= MF_SLUMBER_SET | MF_SLUMBER_ON;
    if (s.slumberRemaining == 0) s.slumberRemaining = s.slumberMinutes;
    // A running countdown keeps its whole minutes left but restarts from them.
    s.slumberEnd = app.platform.clock.now() + int64_t(s.slumberRemaining) * secondsPerMinute;
    Display& display = app.platform.display;
    display.beginWindowDraw();
    showIndicator(app, Indicator::SlumberButton, true);
    showIndicator(app, Indicator::SlumberLamp, true);
    display.endWindowDraw();
    clearReadout(app);
    drawSlumberReadout(app);
    restartClock(app);
}

void slumberOffKey(App& app, int) {
    ReceiverState& s = app.state;
    s.modeFlags &= ~(MF_SLUMBER_SET | MF_SLUMBER_ON);
    s.slumberRemaining = 0;
    s.slumberEnd = app.platform.clock.now();
    drawFrequencyAndPreset(app, s.presetIndex, s.frequency);
    Display& display = app.platform.display;
    display.beginWindowDraw();
    showIndicator(app, Indicator::SlumberButton, false);
    showIndicator(app, Indicator::SlumberLamp, false);
    display.endWindowDraw();
}

void muteKey(App& app, int) {
    ReceiverState& s = app.state;
    s.modeFlags ^= MF_MUTED;
    tuneFrequency(app, s.frequency, s.modeFlags);
    drawSignalLamp(app, s.modeFlags);
    bool muted = (s.modeFlags & MF_MUTED) != 0;
    Display& display = app.platform.display;
    display.beginWindowDraw();
    showIndicator(app, Indicator::MuteButton, muted);
    showIndicator(app, Indicator::MuteLamp, muted);
    display.endWindowDraw();
}

void volumeKey(App& app, int step) { stepVolume(app, step); }

void storeKey(App& app, int) {
    ReceiverState& s = app.state;
    if (s.panelStyle != styleFull) return;
    s.modeFlags |= MF_STORE;
    app.platform.display.copy(Target::Window, plateX, plateY, plateWidth, plateHeight, storeArmedX, storeArmedY);
}

void closeKey(App& app, int) {
    cancelStore(app);
    closePanel(app);
}

void stayOnTopKey(App& app, int) {
    ReceiverState& s = app.state;
    s.stayOnTop = true;
    app.platform.window.place(s.windowX, s.windowY, true);
}

void normalLayerKey(App& app, int) {
    ReceiverState& s = app.state;
    s.stayOnTop = false;
    app.platform.window.place(s.windowX, s.windowY, false);
}

constexpr KeyBinding keyTable[] = {
    {vk::left, sideArrow, -1, false},
    {vk::right, sideArrow, +1, false},
    {vk::up, upDownArrow, +1, false},
    {vk::down, upDownArrow, -1, false},
    {vk::digit0, selectPresetKey, 10, false},
    {vk::digit0 + 1, selectPresetKey, 1, false},
    {vk::digit0 + 2, selectPresetKey, 2, false},
    {vk::digit0 + 3, selectPresetKey, 3, false},
    {vk::digit0 + 4, selectPresetKey, 4, false},
    {vk::digit0 + 5, selectPresetKey, 5, false},
    {vk::digit0 + 6, selectPresetKey, 6, false},
    {vk::digit0 + 7, selectPresetKey, 7, false},
    {vk::digit0 + 8, selectPresetKey, 8, false},
    {vk::digit0 + 9, selectPresetKey, 9, false},
    {vk::numpad0, selectPresetKey, 10, false},
    {vk::numpad0 + 1, selectPresetKey, 1, false},
    {vk::numpad0 + 2, selectPresetKey, 2, false},
    {vk::numpad0 + 3, selectPresetKey, 3, false},
    {vk::numpad0 + 4, selectPresetKey, 4, false},
    {vk::numpad0 + 5, selectPresetKey, 5, false},
    {vk::numpad0 + 6, selectPresetKey, 6, false},
    {vk::numpad0 + 7, selectPresetKey, 7, false},
    {vk::numpad0 + 8, selectPresetKey, 8, false},
    {vk::numpad0 + 9, selectPresetKey, 9, false},
    {vk::letterA, alarmOnKey, 0, false},
    {vk::letterH, helpKey, 0, false},
    {vk::letterL, slumberOnKey, 0, false},
    {vk::separator, slumberOnKey, 0, false},
    {vk::letterU, slumberOffKey, 0, false},
    {vk::f6, slumberOffKey, 0, false},
    {vk::letterM, muteKey, 0, true},
    {vk::add, volumeKey, volumeUp, true},
    {vk::subtract, volumeKey, volumeDown, true},
    {vk::letterP, storeKey, 0, false},
    {vk::f1, storeKey, 0, false},
    {vk::letterQ, closeKey, 0, false},
    {vk::f2, closeKey, 0, false},
    {vk::letterT, stayOnTopKey, 0, false},
    {vk::f5, stayOnTopKey, 0, false},
    {vk::letterN, normalLayerKey, 0, false},
    {vk::decimal, normalLayerKey, 0, false},
};
}  // namespace

float coarseKeyStep(float frequency, float minFrequency, int direction) {
    return bandStep(frequency, minFrequency, direction * coarseStepMHz);
}

std::vector<unsigned> commandKeyCodes() {
    std::vector<unsigned> codes;
    for (const KeyBinding& binding : keyTable) codes.push_back(binding.code);
    return codes;
}

void handleKey(App& app, unsigned virtualKey) {
    if (virtualKey < vk::first || virtualKey > vk::last) return;
    for (const KeyBinding& binding : keyTable) {
        if (binding.code != virtualKey) continue;
        if (app.state.morphState != 0 && !binding.duringMorph) return;
        binding.command(app, binding.argument);
        return;
    }
}

}  // namespace orv
