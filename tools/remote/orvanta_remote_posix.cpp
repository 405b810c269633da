// Remote control for a running native panel, through its local socket.
//
//   orvanta-remote station N     select preset N (1..99)
//   orvanta-remote volume up|down
//   orvanta-remote mute on|off
//   orvanta-remote tune MHZ      tune (onto the 25 kHz grid) inside the band
//   orvanta-remote seek up|down
//   orvanta-remote preset next|prev
//   orvanta-remote status [--json]  what the panel is doing
//   orvanta-remote show          the panel back, when it closed and the radio plays on
//   orvanta-remote quit          ends the program
//
// Exit codes: 0 done, 1 "Orvanta is not running" (or it did not answer),
// 2 usage, or a tune outside the band.
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
constexpr int answerTimeoutSeconds = 2;
constexpr size_t longestAnswer = 64 * 1024;
constexpr int exitUsage = 2;
constexpr int exitNotRunning = 1;
const char errorPrefix[] = "error: ";

int usage() {
    std::fprintf(stderr,
                 "usage: orvanta-remote station N | volume up|down | mute on|off | tune MHZ | seek up|down |\n"
                 "                      preset next|prev | status [--json] | show | quit\n");
    return exitUsage;
}

int notRunning() {
    std::fprintf(stderr, "Orvanta is not running\n");
    return exitNotRunning;
}

// Sends line to the panel; with answer, reads what it says back until it
// closes the connection. False when no panel listens.
bool talk(const std::string& path, const std::string& line, std::string* answer) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    timeval limit{sendTimeoutSeconds, 0};  // a panel that never reads does not hold us
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    timeval answerLimit{answerTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &answerLimit, sizeof answerLimit);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    size_t sent = 0;
    while (ok && sent < line.size()) {
        const ssize_t n = write(fd, line.data() + sent, line.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) sent += size_t(n);
    }
    if (ok && answer) {
        shutdown(fd, SHUT_WR);  // the panel answers, then closes
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            answer->append(buffer, size_t(n));
            if (answer->size() > longestAnswer) break;
        }
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
    const bool status = std::strcmp(argv[1], "status") == 0;
    const bool tune = std::strcmp(argv[1], "tune") == 0;
    std::string answer;
    if (!talk(path, line, status || tune ? &answer : nullptr)) return notRunning();
    if (status) {
        if (answer.empty()) {
            std::fprintf(stderr, "orvanta-remote: the panel did not answer\n");
            return exitNotRunning;
        }
        std::fwrite(answer.data(), 1, answer.size(), stdout);
        return 0;
    }
    if (tune) {
        if (answer == orv::remote::answerOk) return 0;
        if (answer.compare(0, sizeof errorPrefix - 1, errorPrefix) == 0) {
            std::fprintf(stderr, "orvanta-remote: %s", answer.c_str() + sizeof errorPrefix - 1);
            return exitUsage;
        }
        std::fprintf(stderr, "orvanta-remote: the panel did not answer\n");
        return exitNotRunning;
    }
    return 0;
}
