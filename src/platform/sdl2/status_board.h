// Where the main thread leaves the panel's status for the threads that
// answer other programs (the remote's socket, the desktop's player
// controls), so that they answer without waiting for the panel and a flood
// of questions never slows it down. It also counts the commands those
// threads handed to the main thread, so that a question asked after a
// command is answered after the command took effect.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "shell/panel_status.h"

namespace orv::sdl2 {

class StatusBoard {
public:
    // Main thread: the status now. Listeners run (on the calling thread) when it differs from the last.
    void publish(const PanelStatus& status);
    PanelStatus read() const;
    // Rises by one with every change.
    uint64_t generation() const;
    // Runs after every change, on the main thread; must be quick and must not publish.
    void addListener(std::function<void()> listener);

    // A command went to the main thread; returns its number.
    uint64_t commandSent();
    // The number of the last command sent.
    uint64_t lastSent() const;
    // The main thread is done with the oldest command it was sent (after it published).
    void commandHandled();
    // A command that never reached the main thread (the queue was full): it counts as handled.
    void commandDropped() { commandHandled(); }
    // Waits until every command up to number is handled, at most timeoutMs; false on timeout.
    bool waitHandled(uint64_t number, int timeoutMs) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable handledChanged_;
    PanelStatus status_;
    bool published_ = false;
    uint64_t generation_ = 0;
    uint64_t sent_ = 0, handled_ = 0;
    std::vector<std::function<void()>> listeners_;
};

// Whether two statuses differ in anything a listener shows.
bool sameStatus(const PanelStatus& a, const PanelStatus& b);

}  // namespace orv::sdl2
