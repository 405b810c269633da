// Remote control for a running native panel, through its local socket.
//
//   orvanta-remote station N     select preset N (1..99)
//   orvanta-remote volume up|down
//   orvanta-remote mute on|off
//   orvanta-remote show          the panel back, when it closed and the radio plays on
//   orvanta-remote quit          ends the program
//
// Exit codes: 0 sent, 1 "Orvanta is not running", 2 usage.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/sdl2/remote_protocol.h"

namespace {

constexpr int sendTimeoutSeconds = 2;

int usage() {
    std::fprintf(stderr, "usage: orvanta-remote station N | volume up|down | mute on|off | show | quit\n");
    return 2;
}

int notRunning() {
    std::fprintf(stderr, "Orvanta is not running\n");
    return 1;
}

bool sendLine(const std::string& path, const std::string& line) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    timeval limit{sendTimeoutSeconds, 0};  // a panel that never reads does not hold us
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    size_t sent = 0;
    while (ok && sent < line.size()) {
        const ssize_t n = write(fd, line.data() + sent, line.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) sent += size_t(n);
    }
    close(fd);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string line;
    if (argc < 2 || argc > 3 || !orv::remote::lineFor(argv[1], argc == 3 ? argv[2] : nullptr, line)) return usage();
    std::signal(SIGPIPE, SIG_IGN);
    const std::string path =
        orv::remote::chooseSocketPath(std::getenv("XDG_RUNTIME_DIR"), unsigned(getuid()), false);
    if (!sendLine(path, line)) return notRunning();
    return 0;
}
