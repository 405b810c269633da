// The keyboard's media keys (play/pause, next, previous, volume), where the
// system hands them to the panel: a radio plays or is muted, and "tracks"
// are the presets.
#pragma once

#include "shell/receiver_state.h"

namespace orv {

enum class MediaKey { PlayPause, Play, Pause, Stop, NextTrack, PreviousTrack, VolumeUp, VolumeDown, VolumeMute };

// Does what the key stands for, as the panel's own controls do: play
// unmutes, pause and stop mute, play/pause and the mute key toggle, next
// and previous select the neighbouring preset number, the volume keys pulse
// the volume. While a style morph runs only mute and volume act.
void handleMediaKey(App& app, MediaKey key);

}  // namespace orv
