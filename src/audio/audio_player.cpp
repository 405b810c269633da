#include "audio/audio_player.h"

#include <algorithm>
#include <cmath>

namespace orv::audio {

namespace {
constexpr float fullScale = 32767.0f;
}

AudioPlayer::AudioPlayer(int levelDb)
    : queue_(queueCapacityFrames, targetFillFrames), gain_(outputRate, levelDb) {}

void AudioPlayer::render(int16_t* out, size_t count) {
    work_.resize(count * outputChannels);
    queue_.pop(work_.data(), count);
    gain_.apply(work_.data(), count);
    for (size_t i = 0; i < work_.size(); ++i)
        out[i] = int16_t(std::lrint(std::clamp(work_[i], -1.0f, 1.0f) * fullScale));
}

}  // namespace orv::audio
