// The sound device through SDL2's audio: 48 kHz, two channels, signed
// 16-bit in the machine's order, the default output unless [Audio] DEVICE
// names one. SDL's callback thread pulls from the player.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "audio/audio_player.h"

namespace orv::sdl2 {

// One open SDL sound device (48 kHz, two channels, signed 16-bit; SDL
// converts whatever the device wants) with the audio subsystem it holds.
class SdlSoundDevice {
public:
    ~SdlSoundDevice() { close(); }
    // Starts callback on the named device (null: the default); false, with SDL's reason.
    bool open(const char* name, bool capture, SDL_AudioCallback callback, audio::AudioPlayer& player,
              std::string& whyNot);
    // Stops the callback; the player is not touched after this returns.
    void close();

private:
    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
};

class SdlAudio : public audio::AudioOutput {
public:
    // deviceName: the output to open; empty for the system's default.
    explicit SdlAudio(std::string deviceName) : deviceName_(std::move(deviceName)) {}
    bool start(audio::AudioPlayer& player, std::string& whyNot) override;
    void stop() override;

private:
    static void callback(void* player, Uint8* stream, int bytes);

    std::string deviceName_;
    SdlSoundDevice device_;
};

// A receiver's sound from a capture device through SDL2's audio (48 kHz,
// two channels, signed 16-bit, converted by SDL from whatever the device
// gives): SDL's callback thread pushes it into the player's queue.
class SdlCapture : public audio::AudioInput {
public:
    std::vector<std::string> deviceNames() override;
    bool start(const std::string& name, audio::AudioPlayer& player, std::string& whyNot) override;
    void stop() override;

private:
    static void callback(void* player, Uint8* stream, int bytes);

    SdlSoundDevice device_;
};

}  // namespace orv::sdl2
