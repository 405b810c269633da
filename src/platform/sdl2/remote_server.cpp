#include "platform/sdl2/remote_server.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace orv::remote {

namespace {

constexpr int backlog = 128;
constexpr size_t readChunk = 256;

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// One connected client and the line it is writing.
struct Client {
    int fd = -1;
    std::string line;
    bool skipping = false;  // the line outgrew lineMax: ignored up to its end
    int64_t lastActive = 0;
};

bool fillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    return true;
}

unsigned long inodeOf(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return 0;
    return (unsigned long)st.st_ino;
}

// Writes what fits of an answer at once: answers are short, and a client
// that does not read them (or is gone) only loses its own answer.
void answer(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        sent += size_t(n);
    }
}

// The bytes a client sent: complete lines go to deliver, the rest waits.
void takeBytes(Client& c, const char* data, size_t n, const Server::Deliver& deliver) {
    for (size_t i = 0; i < n; ++i) {
        const char ch = data[i];
        if (ch == '\n') {
            Command command;
            if (!c.skipping && parseLine(c.line, command)) answer(c.fd, deliver(command));
            c.line.clear();
            c.skipping = false;
        } else if (!c.skipping) {
            if (c.line.size() > lineMax)  // room for a final '\r' is already used up
                c.skipping = true, c.line.clear();
            else
                c.line.push_back(ch);
        }
    }
}

// Reads what is there; false when the client has gone (its last unended line counts).
bool serveClient(Client& c, const Server::Deliver& deliver) {
    char buffer[readChunk];
    for (;;) {
        const ssize_t n = read(c.fd, buffer, sizeof buffer);
        if (n > 0) {
            takeBytes(c, buffer, size_t(n), deliver);
            c.lastActive = nowMs();
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 && !c.line.empty()) takeBytes(c, "\n", 1, deliver);
        return false;
    }
}

// A listening socket at path, made under a temporary name, given mode 0600
// and renamed over path; -1 on failure.
int listenAt(const std::string& path) {
    const std::string temporary = path + "." + std::to_string(getpid()) + ".new";
    sockaddr_un addr{};
    if (!fillAddress(temporary, addr)) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    unlink(temporary.c_str());
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                    chmod(temporary.c_str(), 0600) == 0 && listen(fd, backlog) == 0 &&
                    rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        close(fd);
        return -1;
    }
    return fd;
}

// True when a server accepts connections at path.
bool someoneListens(const std::string& path) {
    sockaddr_un addr{};
    if (!fillAddress(path, addr)) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool listening = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return listening;
}

}  // namespace

bool Server::start(const std::string& path, Deliver deliver) {
    if (running() || path.empty()) return false;
    int pipeFds[2] = {-1, -1};
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    const int fd = listenAt(path);
    if (fd < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    listenFd_ = fd;
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    path_ = path;
    socketInode_ = inodeOf(path);
    deliver_ = std::move(deliver);
    thread_ = std::thread([this] { run(); });
    return true;
}

void Server::stop() {
    if (!running()) return;
    const char stopByte = 'q';
    while (write(wakeWrite_, &stopByte, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    // A panel started after this one may have put its own socket there.
    if (socketInode_ != 0 && inodeOf(path_) == socketInode_) unlink(path_.c_str());
    close(listenFd_);
    close(wakeRead_);
    close(wakeWrite_);
    listenFd_ = wakeRead_ = wakeWrite_ = -1;
}

void Server::reclaimIfOrphaned() {
    if (inodeOf(path_) == socketInode_ || someoneListens(path_)) return;
    const int fd = listenAt(path_);
    if (fd < 0) return;
    close(listenFd_);
    listenFd_ = fd;
    socketInode_ = inodeOf(path_);
}

void Server::run() {
    std::vector<Client> clients;
    std::vector<pollfd> fds;
    struct CloseAll {
        std::vector<Client>& clients;
        ~CloseAll() {
            for (Client& c : clients) close(c.fd);
        }
    } closeAll{clients};
    int64_t lastReclaimCheck = nowMs();
    for (;;) {
        fds.assign({pollfd{wakeRead_, POLLIN, 0}, pollfd{listenFd_, POLLIN, 0}});
        int64_t now = nowMs();
        if (now - lastReclaimCheck >= reclaimCheckMs) {
            reclaimIfOrphaned();
            lastReclaimCheck = now;
            fds[1].fd = listenFd_;
        }
        int64_t wait = std::max<int64_t>(0, lastReclaimCheck + reclaimCheckMs - now);
        for (const Client& c : clients) {
            fds.push_back(pollfd{c.fd, POLLIN, 0});
            const int64_t left = std::max<int64_t>(0, c.lastActive + idleLimitMs - now);
            wait = std::min(wait, left);
        }
        if (poll(fds.data(), fds.size(), int(wait)) < 0 && errno != EINTR) return;
        if (fds[0].revents) return;  // stop() asked

        // Clients first (their entries in fds match the vector before any accept).
        now = nowMs();
        std::vector<Client> kept;
        for (size_t i = 0; i < clients.size(); ++i) {
            Client& c = clients[i];
            bool alive = true;
            if (fds[i + 2].revents) alive = serveClient(c, deliver_);
            if (alive && now - c.lastActive >= idleLimitMs) alive = false;
            if (alive)
                kept.push_back(std::move(c));
            else
                close(c.fd);
        }
        clients.swap(kept);

        if (fds[1].revents & POLLIN) {
            for (;;) {
                int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) break;
                if (int(clients.size()) >= maxClients) {
                    auto idlest = std::min_element(clients.begin(), clients.end(), [](const Client& a, const Client& b) {
                        return a.lastActive < b.lastActive;
                    });
                    close(idlest->fd);
                    clients.erase(idlest);
                }
                Client c;
                c.fd = fd;
                c.lastActive = nowMs();
                clients.push_back(std::move(c));
            }
        }
    }
}

}  // namespace orv::remote
