// The panel's end of the remote-control socket: a thread that accepts local
// clients, reads their lines and hands every well-formed command to a
// callback, and writes back what the callback answers (the status, or
// whether a tune was taken). The thread never touches the panel; the
// callback passes commands on to the main thread (an SDL event) and answers
// questions from what the main thread published. Abusive clients (overlong
// lines, garbage, silence, crowds) cost the panel nothing: lines longer than
// remote::lineMax are skipped, silent clients are dropped after a while, and
// beyond maxClients the client idle longest makes room for a new one.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "platform/sdl2/remote_protocol.h"

namespace orv::remote {

class Server {
public:
    // Runs on the server thread for each command; returns the answer for
    // the client ("" for none).
    using Deliver = std::function<std::string(const Command&)>;

    static constexpr int maxClients = 16;
    static constexpr int idleLimitMs = 2000;
    static constexpr int reclaimCheckMs = 2000;

    Server() = default;
    ~Server() { stop(); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Listens on path: the socket is made under a temporary name, given mode
    // 0600 and renamed over path, so a stale socket of a crashed panel (or
    // the one of a panel still running) is replaced. False when it cannot
    // listen; the panel then runs without remote control.
    bool start(const std::string& path, Deliver deliver);
    // While it runs, a server whose socket was replaced by another panel's
    // takes the path back once nothing listens there any more (that panel died).
    // Ends the thread, closes every socket and removes path when it is still ours.
    void stop();
    bool running() const { return thread_.joinable(); }

private:
    void run();
    void reclaimIfOrphaned();

    Deliver deliver_;
    std::string path_;
    int listenFd_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    unsigned long socketInode_ = 0;
    std::thread thread_;
};

}  // namespace orv::remote
