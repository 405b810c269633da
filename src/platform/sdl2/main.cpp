// The native program orvanta: the SDL2 back end around the panel's core,
// always with the simulated card (configured in section "Simulator").
#include "platform/sdl2/backend.h"

#include "shell/startup.h"
#include "tuner/simulated_card.h"

int main(int, char**) {
    orv::sdl2::SystemClock clock;
    orv::sdl2::XdgProfile profile(orv::sdl2::settingsPath());
    orv::sdl2::PosixFiles files;
    orv::sdl2::SdlDisplay display;
    orv::sdl2::SdlWindow window(display);
    orv::sdl2::SdlDialogs dialogs(window);
    orv::SimulatedCard card(orv::readSimulatorConfig(profile));
    orv::Platform platform{card, clock, profile, files, display, window, dialogs};
    orv::App app(platform);
    window.app = &app;
    const int exitCode = orv::runPanel(app, 1);
    window.app = nullptr;
    SDL_Quit();
    return exitCode;
}
