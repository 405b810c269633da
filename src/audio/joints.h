// Where the receiver's sound stops and starts (a retune drops the old
// frequency's samples, a device pulled out stops delivering): the sound
// fades out into the silence and in out of it over a few milliseconds,
// so that neither end clicks. The last frames of sound are held back that
// long, to be faded should silence follow.
#pragma once

#include <cstddef>
#include <vector>

#include "audio/audio_queue.h"

namespace orv::audio {

// 5 ms at 48 kHz.
constexpr size_t fadeFrames = 240;

class Joints {
public:
    explicit Joints(AudioQueue& queue) : queue_(queue) {}
    // count interleaved stereo frames of sound.
    void sound(const float* frames, size_t count);
    // count frames of silence.
    void silence(size_t count);

private:
    AudioQueue& queue_;
    std::vector<float> held_;   // sound not yet handed to the queue
    size_t fadedIn_ = 0;        // frames of the fade-in done since the last silence
};

}  // namespace orv::audio
