#include "platform/sdl2/sdl_audio.h"

namespace orv::sdl2 {

bool SdlSoundDevice::open(const char* name, bool capture, SDL_AudioCallback callback, audio::AudioPlayer& player,
                          std::string& whyNot) {
    close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        whyNot = SDL_GetError();
        return false;
    }
    subsystem_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = audio::outputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = audio::outputChannels;
    wanted.samples = audio::deviceBufferFrames;
    wanted.callback = callback;
    wanted.userdata = &player;
    SDL_AudioSpec got{};
    device_ = SDL_OpenAudioDevice(name, capture ? 1 : 0, &wanted, &got, 0);
    if (device_ == 0) {
        whyNot = SDL_GetError();
        close();
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlSoundDevice::close() {
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
}

void SdlAudio::callback(void* player, Uint8* stream, int bytes) {
    const size_t frames = size_t(bytes) / (sizeof(int16_t) * audio::outputChannels);
    static_cast<audio::AudioPlayer*>(player)->render(reinterpret_cast<int16_t*>(stream), frames);
}

namespace {

constexpr float fullScale = 32768.0f;
constexpr size_t captureChunkFrames = 256;

}  // namespace

bool SdlAudio::start(audio::AudioPlayer& player, std::string& whyNot) {
    if (device_.open(deviceName_.empty() ? nullptr : deviceName_.c_str(), false, &SdlAudio::callback, player, whyNot))
        return true;
    if (!deviceName_.empty()) whyNot = "the sound output " + deviceName_ + ": " + whyNot;
    return false;
}

void SdlAudio::stop() { device_.close(); }

void SdlCapture::callback(void* player, Uint8* stream, int bytes) {
    auto& queue = static_cast<audio::AudioPlayer*>(player)->queue();
    const auto* samples = reinterpret_cast<const int16_t*>(stream);
    size_t frames = size_t(bytes) / (sizeof(int16_t) * audio::outputChannels);
    float chunk[captureChunkFrames * audio::outputChannels];
    while (frames > 0) {
        const size_t n = frames < captureChunkFrames ? frames : captureChunkFrames;
        for (size_t i = 0; i < n * audio::outputChannels; ++i) chunk[i] = float(samples[i]) / fullScale;
        queue.push(chunk, n);
        samples += n * audio::outputChannels;
        frames -= n;
    }
}

std::vector<std::string> SdlCapture::deviceNames() {
    std::vector<std::string> names;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return names;
    const int count = SDL_GetNumAudioDevices(1);
    for (int i = 0; i < count; ++i)
        if (const char* name = SDL_GetAudioDeviceName(i, 1)) names.push_back(name);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return names;
}

bool SdlCapture::start(const std::string& name, audio::AudioPlayer& player, std::string& whyNot) {
    return device_.open(name.c_str(), true, &SdlCapture::callback, player, whyNot);
}

void SdlCapture::stop() { device_.close(); }

}  // namespace orv::sdl2
