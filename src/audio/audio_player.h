// What the sound device plays: frames from the queue through the gain ramp,
// as signed 16-bit stereo at 48 kHz. The device's callback calls render();
// the receiver's thread pushes into queue().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_queue.h"
#include "audio/gain.h"

namespace orv::audio {

constexpr int outputRate = 48000;
constexpr int outputChannels = 2;
// The fill the receiver's rate is steered to: small, so that antenna to
// speaker stays well under 200 ms.
constexpr size_t targetFillFrames = 3600;   // 75 ms
// The most the queue holds: a sound device whose clock runs slower than
// the rate steering can follow (SDL's disk driver, a few per cent) loses
// frames here instead of falling ever further behind the antenna.
constexpr size_t queueCapacityFrames = 6000;  // 125 ms
// Frames the device asks for at a time (about 11 ms).
constexpr int deviceBufferFrames = 512;

class AudioPlayer {
public:
    explicit AudioPlayer(int levelDb = defaultLevelDb);
    AudioQueue& queue() { return queue_; }
    GainRamp& gain() { return gain_; }
    // Fills count frames (2 x count samples) of out.
    void render(int16_t* out, size_t count);

private:
    AudioQueue queue_;
    GainRamp gain_;
    std::vector<float> work_;
};

// Where the sound goes: the system's sound device, or a fake in tests.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts pulling frames from player; false, with why, when no sound can be had.
    virtual bool start(AudioPlayer& player, std::string& whyNot) = 0;
    // Stops pulling; player is not touched after this returns.
    virtual void stop() = 0;
};

// Where a receiver's own sound comes in: a capture device of the sound
// system (a USB radio's sound card), or a fake in tests.
class AudioInput {
public:
    virtual ~AudioInput() = default;
    // The capture devices the sound system lists, by name.
    virtual std::vector<std::string> deviceNames() = 0;
    // Starts pushing what the named capture device hears into player's
    // queue; false, with why, when it cannot be had.
    virtual bool start(const std::string& name, AudioPlayer& player, std::string& whyNot) = 0;
    // Stops pushing; player is not touched after this returns.
    virtual void stop() = 0;
};

}  // namespace orv::audio
