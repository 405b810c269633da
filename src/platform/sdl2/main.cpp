// The native program orvanta: the SDL2 back end around the panel's core. The
// card is chosen in section "Card" once the window exists: a Video4Linux2
// radio receiver, the card's port through ioperm (only when named), an SDR
// through SoapySDR, or the simulated card (configured in section "Simulator").
// The SDR and the simulated card play through SDL's sound output. The
// desktop's media player controls follow the panel over the session bus.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>

#include "platform/linux/linux_card.h"
#include "platform/sdl2/backend.h"
#include "platform/sdl2/mpris.h"
#include "platform/sdl2/mpris_state.h"
#include "platform/sdl2/sdl_audio.h"
#include "platform/soapy/soapy_source.h"
#include "shell/startup.h"

namespace {

constexpr int noDisplayExitCode = 1;
constexpr size_t audioDeviceChars = 256;

// The card of the settings; once open it says on standard error which one it is.
class AnnouncedCard : public orv::linuxcard::LinuxCardPort {
public:
    using LinuxCardPort::LinuxCardPort;
    bool open(std::string& whyNot) override {
        if (!LinuxCardPort::open(whyNot)) return false;
        std::fprintf(stderr, "orvanta: card: %s\n", description().c_str());
        return true;
    }
};

// The file:// URL of the program's icon for the desktop's player controls; "" when it is not there.
std::string iconUrl() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "";
    const std::string dataFile = orv::sdl2::dataFilePath(std::string(exe, size_t(n)));
    const std::string icon = orv::mpris::iconPath(dataFile.substr(0, dataFile.rfind('/')));
    return icon.empty() ? "" : orv::mpris::fileUrl(icon);
}

}  // namespace

int main(int, char**) {
    orv::sdl2::SystemClock clock;
    orv::sdl2::XdgProfile profile(orv::sdl2::settingsPath());
    orv::sdl2::PosixFiles files;
    orv::sdl2::SdlDisplay display;
    orv::sdl2::SdlWindow window(display);
    orv::sdl2::SdlDialogs dialogs(window);
    orv::linuxcard::SystemRadioDevice radio;
    orv::linuxcard::SystemPortInstructions ports;
    orv::sdl2::SdlAudio sound(profile.readText("Audio", "DEVICE", "", audioDeviceChars));
    orv::sdl2::SdlCapture capture;
    orv::linuxcard::CardSystem system{radio, ports};
    system.sound = &sound;
    system.capture = &capture;
    system.makeSdr = [](const orv::linuxcard::SdrSettings& settings) -> std::unique_ptr<orv::linuxcard::IqSource> {
        return std::make_unique<orv::soapy::SoapySource>(settings);
    };
    system.territory = orv::linuxcard::environmentTerritory();
    AnnouncedCard card(profile, std::move(system));
    orv::Platform platform{card, clock, profile, files, display, window, dialogs};
    window.addCardStatus = [&card](orv::PanelStatus& status) {
        status.card = card.description();
        status.levelKnown = card.soundLevel(status.levelDb);
        status.station = card.stationInfo();
    };
    orv::sdl2::PlayerControls controls(
        window.board(), [&window](const orv::remote::Command& c) { return window.deliver(c); },
        [&card] { return card.playsSound(); }, iconUrl());
    window.board().addListener([&controls] { controls.panelChanged(); });
    auto app = std::make_unique<orv::App>(platform);
    window.app = app.get();
    int exitCode = orv::runPanel(*app, 1);
    // Closed with Yes to "music in the background" while the program makes
    // the sound itself: it plays on without a window until shown or ended.
    while (card.playsSound() && dialogs.playOnAsked() && !window.endRequested()) {
        dialogs.forgetPlayOn();
        std::fprintf(stderr, "orvanta: playing on without the panel (orvanta-remote show brings it back, "
                             "orvanta-remote quit ends it)\n");
        if (!window.runWindowless()) break;
        auto shown = std::make_unique<orv::App>(platform);
        window.app = shown.get();
        app = std::move(shown);
        exitCode = orv::runPanel(*app, 1);
    }
    window.app = nullptr;
    controls.stop();
    SDL_Quit();
    return window.noDisplay() ? noDisplayExitCode : exitCode;
}
