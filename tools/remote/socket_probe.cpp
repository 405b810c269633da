// A test helper for the remote-control socket: sends whatever comes on
// standard input, or holds many silent connections open.
//
//   orvanta_socket_probe send PATH            stdin to the socket, then close
//   orvanta_socket_probe hold PATH N SECONDS  N connections that never write
//
// Prints how many connections it made; exits 1 when none could be made.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

int connectTo(const char* path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof addr.sun_path) return -1;
    std::strcpy(addr.sun_path, path);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

int send(const char* path) {
    const int fd = connectTo(path);
    if (fd < 0) return 1;
    char buffer[4096];
    ssize_t n;
    while ((n = read(STDIN_FILENO, buffer, sizeof buffer)) > 0)
        if (write(fd, buffer, size_t(n)) != n) break;  // the panel may drop us: that is its right
    close(fd);
    std::printf("1\n");
    return 0;
}

int hold(const char* path, int count, int seconds) {
    std::vector<int> fds;
    for (int i = 0; i < count; ++i) {
        const int fd = connectTo(path);
        if (fd >= 0) fds.push_back(fd);
    }
    std::printf("%zu\n", fds.size());
    std::fflush(stdout);
    sleep(unsigned(seconds));
    for (int fd : fds) close(fd);
    return fds.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    if (argc == 3 && std::strcmp(argv[1], "send") == 0) return send(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "hold") == 0) return hold(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "usage: orvanta_socket_probe send PATH | hold PATH N SECONDS\n");
    return 2;
}
