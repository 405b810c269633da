// The desktop's media player controls: the panel as an MPRIS 2 player on the
// session bus (org.mpris.MediaPlayer2.orvanta), served by a thread of its
// own through sd-bus. It reads the status the main thread publishes and hands
// the desktop's requests to the main thread as remote commands, so that the
// panel never waits for the bus. Without a session bus the panel runs as
// before, and says so once on standard error.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "platform/sdl2/remote_protocol.h"
#include "platform/sdl2/status_board.h"

namespace orv::sdl2 {

class PlayerControls {
public:
    // Hands a command to the main thread; false when it could not be taken.
    using Deliver = std::function<bool(const remote::Command&)>;

    // board: the status shown. canQuit (asked on the main thread): the
    // program can play on without its panel, so ending it is the desktop's
    // to ask. artUrl: the picture shown with the station; "" none.
    PlayerControls(StatusBoard& board, Deliver deliver, std::function<bool()> canQuit, std::string artUrl);
    ~PlayerControls();
    PlayerControls(const PlayerControls&) = delete;
    PlayerControls& operator=(const PlayerControls&) = delete;

    // Main thread, after every change of the board (its listener): the
    // first call starts the bus thread, later ones wake it.
    void panelChanged();
    // Main thread: leaves the bus and ends the thread; before SDL ends.
    void stop();

private:
    friend class BusPlayer;
    void run();
    void wake();

    StatusBoard& board_;
    Deliver deliver_;
    std::function<bool()> canQuitAsked_;
    const std::string artUrl_;
    std::atomic<bool> canQuit_{false};
    std::atomic<bool> stopping_{false};
    int wakeFd_ = -1;  // an eventfd the main thread writes to
    int wakeError_ = 0;  // why there is none
    std::thread thread_;
};

}  // namespace orv::sdl2
