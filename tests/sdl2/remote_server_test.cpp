// The remote-control socket server under normal use and under abuse.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/sdl2/remote_server.h"

namespace orv::remote {
namespace {

using namespace std::chrono_literals;

// Commands as the server thread delivers them.
class Inbox {
public:
    Server::Deliver deliver() {
        return [this](const Command& c) {
            std::lock_guard<std::mutex> lock(mutex_);
            got_.push_back(c);
            changed_.notify_all();
            return c.kind == Kind::AskStatus ? std::string("frequency: 98.100\n") : std::string();
        };
    }
    // Waits until n commands came (at most 3 s); returns what came.
    std::vector<Command> wait(size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, 3s, [&] { return got_.size() >= n; });
        return got_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Command> got_;
};

int connectTo(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const std::string& bytes) {
    return write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

void sendAndClose(const std::string& path, const std::string& bytes) {
    int fd = connectTo(path);
    ASSERT_GE(fd, 0);
    sendAll(fd, bytes);
    close(fd);
}

class RemoteServer : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvanta-server-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder + "/orvanta.sock";
    }
    void TearDown() override {
        server.stop();
        std::system(("rm -rf '" + folder + "'").c_str());
    }
    std::string folder, path;
    Inbox inbox;
    Server server;
};

// Reads what the server writes back until it closes the connection (at most 3 s).
std::string readAnswer(int fd) {
    timeval limit{3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string got;
    char buffer[256];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) got.append(buffer, size_t(n));
    return got;
}

TEST_F(RemoteServer, AnswersQuestionsAndStaysQuietOtherwise) {
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    int fd = connectTo(path);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(sendAll(fd, "mute on\nstatus\nstatus\n"));
    shutdown(fd, SHUT_WR);
    EXPECT_EQ(readAnswer(fd), "frequency: 98.100\nfrequency: 98.100\n");
    close(fd);

    // A client that asks and hangs up at once costs the server nothing (no SIGPIPE).
    for (int i = 0; i < 20; ++i) sendAndClose(path, "status\nstatus\nstatus\n");
    fd = connectTo(path);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(sendAll(fd, "status json\n"));
    shutdown(fd, SHUT_WR);
    EXPECT_EQ(readAnswer(fd), "frequency: 98.100\n");
    close(fd);
}

TEST_F(RemoteServer, DeliversEveryCommandOfAClientInOrder) {
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    sendAndClose(path, "station 7\nvolume down\r\nnonsense\nmute on");  // the last line has no end
    std::vector<Command> got = inbox.wait(3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, Kind::SetStation);
    EXPECT_EQ(got[0].value, 7u);
    EXPECT_EQ(got[1].kind, Kind::SetVolume);
    EXPECT_EQ(got[1].value, 1u);
    EXPECT_EQ(got[2].kind, Kind::Mute);
    EXPECT_EQ(got[2].value, 1u);
}

TEST_F(RemoteServer, SkipsAnOverlongLineAndReadsTheNextOne) {
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    // The overlong line ends in a valid command: none of it may count.
    sendAndClose(path, std::string(100000, 'x') + "mute on\nstation 3\n" + std::string(65, '1') + "\nvolume up\n");
    std::vector<Command> got = inbox.wait(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].kind, Kind::SetStation);
    EXPECT_EQ(got[0].value, 3u);
    EXPECT_EQ(got[1].kind, Kind::SetVolume);
}

TEST_F(RemoteServer, SurvivesGarbageAndKeepsServing) {
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    std::string garbage;
    for (int i = 0; i < 50000; ++i) garbage.push_back(char((i * 7919) & 0xFF));
    sendAndClose(path, garbage);
    sendAndClose(path, "station 9\n");
    std::vector<Command> got = inbox.wait(1);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back().value, 9u);
}

TEST_F(RemoteServer, AHundredSilentClientsDoNotKeepOthersOut) {
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    std::vector<int> silent;
    for (int i = 0; i < 100; ++i) {
        int fd = connectTo(path);
        ASSERT_GE(fd, 0) << "client " << i;
        silent.push_back(fd);
    }
    const auto t0 = std::chrono::steady_clock::now();
    sendAndClose(path, "station 5\n");
    std::vector<Command> got = inbox.wait(1);
    const auto took = std::chrono::steady_clock::now() - t0;
    for (int fd : silent) close(fd);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].value, 5u);
    EXPECT_LT(took, 1s);
}

TEST_F(RemoteServer, DropsAClientThatNeverWrites) {
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    int fd = connectTo(path);
    ASSERT_GE(fd, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(Server::idleLimitMs + 500));
    char byte;
    EXPECT_EQ(read(fd, &byte, 1), 0);  // the server hung up
    close(fd);
}

TEST_F(RemoteServer, ReplacesAStaleSocketAndRemovesOnlyItsOwn) {
    // A socket file that nothing listens on, as a crashed panel leaves it.
    {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        close(fd);
    }
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    sendAndClose(path, "station 2\n");
    EXPECT_EQ(inbox.wait(1).size(), 1u);

    // A second server takes the path over; the first one, stopping, leaves it alone.
    Inbox secondInbox;
    Server second;
    ASSERT_TRUE(second.start(path, secondInbox.deliver()));
    server.stop();
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    sendAndClose(path, "mute off\n");
    EXPECT_EQ(secondInbox.wait(1).size(), 1u);
    second.stop();
    EXPECT_NE(stat(path.c_str(), &st), 0);
}

TEST_F(RemoteServer, TakesThePathBackWhenTheNewerServerIsGone) {
    ASSERT_TRUE(server.start(path, inbox.deliver()));
    // Another panel took the path and died: its socket file stays, nothing listens.
    const std::string other = folder + "/other.sock";
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, other.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(fd);
    ASSERT_EQ(rename(other.c_str(), path.c_str()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(Server::reclaimCheckMs + 700));
    sendAndClose(path, "station 4\n");
    std::vector<Command> got = inbox.wait(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].value, 4u);
}

TEST_F(RemoteServer, RefusesAPathTooLongForASocket) {
    EXPECT_FALSE(server.start(folder + "/" + std::string(200, 'p'), inbox.deliver()));
    EXPECT_FALSE(server.start("", inbox.deliver()));
    EXPECT_FALSE(server.running());
}

}  // namespace
}  // namespace orv::remote
