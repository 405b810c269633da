// SDL keys onto the core's virtual-key codes. The numeric pad is recognised
// by its scancodes, so that its keys act the same whatever Num Lock says.
#include "platform/sdl2/backend.h"

#include "panel/keyboard.h"
#include "panel/media_keys.h"

namespace orv::sdl2 {

namespace {

struct ScancodeKey {
    SDL_Scancode scancode;
    unsigned code;
};

constexpr ScancodeKey padKeys[] = {
    {SDL_SCANCODE_KP_0, vk::numpad0},     {SDL_SCANCODE_KP_1, vk::numpad0 + 1},
    {SDL_SCANCODE_KP_2, vk::numpad0 + 2}, {SDL_SCANCODE_KP_3, vk::numpad0 + 3},
    {SDL_SCANCODE_KP_4, vk::numpad0 + 4}, {SDL_SCANCODE_KP_5, vk::numpad0 + 5},
    {SDL_SCANCODE_KP_6, vk::numpad0 + 6}, {SDL_SCANCODE_KP_7, vk::numpad0 + 7},
    {SDL_SCANCODE_KP_8, vk::numpad0 + 8}, {SDL_SCANCODE_KP_9, vk::numpad0 + 9},
    {SDL_SCANCODE_KP_PLUS, vk::add},      {SDL_SCANCODE_KP_MINUS, vk::subtract},
    {SDL_SCANCODE_KP_PERIOD, vk::decimal}, {SDL_SCANCODE_KP_DECIMAL, vk::decimal},
    {SDL_SCANCODE_KP_ENTER, vk::separator}, {SDL_SCANCODE_KP_COMMA, vk::separator},
};

struct KeycodeKey {
    SDL_Keycode key;
    unsigned code;
};

constexpr KeycodeKey namedKeys[] = {
    {SDLK_LEFT, vk::left}, {SDLK_RIGHT, vk::right}, {SDLK_UP, vk::up}, {SDLK_DOWN, vk::down},
    {SDLK_F1, vk::f1},     {SDLK_F2, vk::f2},       {SDLK_F5, vk::f5}, {SDLK_F6, vk::f6},
};

constexpr unsigned firstLetterCode = 0x41;  // 'A'

struct MediaKeycode {
    SDL_Keycode key;
    MediaKey media;
};

constexpr MediaKeycode mediaKeys[] = {
    {SDLK_AUDIOPLAY, MediaKey::PlayPause},  {SDLK_AUDIOSTOP, MediaKey::Stop},
    {SDLK_AUDIONEXT, MediaKey::NextTrack},  {SDLK_AUDIOPREV, MediaKey::PreviousTrack},
    {SDLK_VOLUMEUP, MediaKey::VolumeUp},    {SDLK_VOLUMEDOWN, MediaKey::VolumeDown},
    {SDLK_AUDIOMUTE, MediaKey::VolumeMute}, {SDLK_MUTE, MediaKey::VolumeMute},
};

}  // namespace

unsigned virtualKeyFor(SDL_Scancode scancode, SDL_Keycode key) {
    for (const ScancodeKey& k : padKeys)
        if (k.scancode == scancode) return k.code;
    for (const KeycodeKey& k : namedKeys)
        if (k.key == key) return k.code;
    if (key >= SDLK_0 && key <= SDLK_9) return vk::digit0 + unsigned(key - SDLK_0);
    if (key >= SDLK_a && key <= SDLK_z) return firstLetterCode + unsigned(key - SDLK_a);
    return 0;
}

bool mediaKeyFor(SDL_Keycode key, MediaKey& media) {
    for (const MediaKeycode& k : mediaKeys) {
        if (k.key != key) continue;
        media = k.media;
        return true;
    }
    return false;
}

}  // namespace orv::sdl2
