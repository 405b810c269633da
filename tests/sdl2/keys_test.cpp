// The SDL keys the panel knows, onto the core's virtual-key codes.
#include <gtest/gtest.h>

#include "panel/keyboard.h"
#include "platform/sdl2/backend.h"

namespace orv::sdl2 {
namespace {

struct KeyCase {
    SDL_Scancode scancode;
    SDL_Keycode key;
    unsigned code;
};

TEST(SdlKeys, MapOntoTheVirtualKeyCodes) {
    const KeyCase cases[] = {
        {SDL_SCANCODE_LEFT, SDLK_LEFT, vk::left},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, vk::down},
        {SDL_SCANCODE_0, SDLK_0, vk::digit0},
        {SDL_SCANCODE_9, SDLK_9, vk::digit0 + 9},
        {SDL_SCANCODE_A, SDLK_a, vk::letterA},
        {SDL_SCANCODE_Q, SDLK_q, vk::letterQ},
        {SDL_SCANCODE_Z, SDLK_z, 0x5A},
        {SDL_SCANCODE_F1, SDLK_F1, vk::f1},
        {SDL_SCANCODE_F6, SDLK_F6, vk::f6},
        {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, vk::add},
        {SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, vk::subtract},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, vk::decimal},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, vk::separator},
        {SDL_SCANCODE_KP_COMMA, SDLK_KP_COMMA, vk::separator},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, vk::numpad0},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, vk::numpad0 + 7},
    };
    for (const KeyCase& c : cases) EXPECT_EQ(virtualKeyFor(c.scancode, c.key), c.code) << SDL_GetKeyName(c.key);
}

TEST(SdlKeys, NumericPadCountsWhateverNumLockSays) {
    // Num Lock off: the pad's 1 reports End, but it is still the pad's 1.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_1, SDLK_END), vk::numpad0 + 1);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_PERIOD, SDLK_DELETE), vk::decimal);
}

TEST(SdlKeys, MainRowPlusMinusAndOtherKeysAreNoCommands) {
    // The main row's plus, minus and Enter are not the pad's keys, as on Windows.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_MINUS, SDLK_MINUS), 0u);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_EQUALS, SDLK_PLUS), 0u);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_RETURN, SDLK_RETURN), 0u);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_F3, SDLK_F3), 0u);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 0u);
}

}  // namespace
}  // namespace orv::sdl2
