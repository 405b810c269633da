#include "panel/media_keys.h"

#include "shell/remote_requests.h"
#include "tuner/tuner.h"

namespace orv {

namespace {

void play(App& app) { setMuted(app, false); }
void pause(App& app) { setMuted(app, true); }
void toggle(App& app) { setMuted(app, !(app.state.modeFlags & MF_MUTED)); }
void nextPreset(App& app) { stepPreset(app, +1); }
void previousPreset(App& app) { stepPreset(app, -1); }
void louder(App& app) { stepVolume(app, volumeUp); }
void softer(App& app) { stepVolume(app, volumeDown); }

struct MediaBinding {
    MediaKey key;
    void (*action)(App& app);
    bool duringMorph;
};

constexpr MediaBinding mediaTable[] = {
    {MediaKey::PlayPause, toggle, true},          {MediaKey::Play, play, true},
    {MediaKey::Pause, pause, true},               {MediaKey::Stop, pause, true},
    {MediaKey::NextTrack, nextPreset, false},     {MediaKey::PreviousTrack, previousPreset, false},
    {MediaKey::VolumeUp, louder, true},           {MediaKey::VolumeDown, softer, true},
    {MediaKey::VolumeMute, toggle, true},
};

}  // namespace

void handleMediaKey(App& app, MediaKey key) {
    for (const MediaBinding& binding : mediaTable) {
        if (binding.key != key) continue;
        if (app.state.morphState != 0 && !binding.duringMorph) return;
        binding.action(app);
        return;
    }
}

}  // namespace orv
