// The sound device through SDL2's audio: 48 kHz, two channels, signed
// 16-bit in the machine's order, the default output unless [Audio] DEVICE
// names one. SDL's callback thread pulls from the player.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "audio/audio_player.h"

namespace orv::sdl2 {

class SdlAudio : public audio::AudioOutput {
public:
    // deviceName: the output to open; empty for the system's default.
    explicit SdlAudio(std::string deviceName) : deviceName_(std::move(deviceName)) {}
    ~SdlAudio() override { stop(); }
    bool start(audio::AudioPlayer& player, std::string& whyNot) override;
    void stop() override;

private:
    static void callback(void* player, Uint8* stream, int bytes);

    std::string deviceName_;
    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
};

// A receiver's sound from a capture device through SDL2's audio (48 kHz,
// two channels, signed 16-bit, converted by SDL from whatever the device
// gives): SDL's callback thread pushes it into the player's queue.
class SdlCapture : public audio::AudioInput {
public:
    ~SdlCapture() override { stop(); }
    std::vector<std::string> deviceNames() override;
    bool start(const std::string& name, audio::AudioPlayer& player, std::string& whyNot) override;
    void stop() override;

private:
    static void callback(void* player, Uint8* stream, int bytes);

    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
};

}  // namespace orv::sdl2
