// The remote-control lines and where the socket lives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sdl2/remote_protocol.h"

namespace orv::remote {
namespace {

struct LineCase {
    const char* line;
    bool valid;
    Kind kind;
    uint32_t value;
};

TEST(RemoteProtocol, ParsesEachCommandAndNothingElse) {
    const LineCase cases[] = {
        {"station 7", true, Kind::SetStation, 7},
        {"station 0", true, Kind::SetStation, 0},      // passed on: the panel ignores it
        {"station 100", true, Kind::SetStation, 100},  // likewise
        {"station 65535", true, Kind::SetStation, 65535},
        {"station 65536", false, Kind::SetStation, 0},  // would wrap to 0 in the message
        {"station 65537", false, Kind::SetStation, 0},  // would wrap to 1
        {"station 000000000007", false, Kind::SetStation, 0},
        {"station -1", false, Kind::SetStation, 0},
        {"station +1", false, Kind::SetStation, 0},
        {"station ", false, Kind::SetStation, 0},
        {"station 1 2", false, Kind::SetStation, 0},
        {"station 7\r", true, Kind::SetStation, 7},  // a line from a CRLF client
        {"volume up", true, Kind::SetVolume, 0},
        {"volume down", true, Kind::SetVolume, 1},
        {"volume  up", false, Kind::SetVolume, 0},
        {"Volume up", false, Kind::SetVolume, 0},
        {"mute on", true, Kind::Mute, 1},
        {"mute off", true, Kind::Mute, 0},
        {"mute", false, Kind::Mute, 0},
        {"", false, Kind::Mute, 0},
        {"mute on ", false, Kind::Mute, 0},
        // tune: MHz exactly as written; the band is the panel's to check, not the parser's.
        {"tune 98.1", true, Kind::Tune, 98100000},
        {"tune 108", true, Kind::Tune, 108000000},
        {"tune 86.9", true, Kind::Tune, 86900000},    // outside the band: the panel says so, not the parser
        {"tune 108.000001", true, Kind::Tune, 108000001},  // just above the band must stay above it
        {"tune 87.4999999", false, Kind::Tune, 0},    // finer than 1 Hz
        {"tune 4294.967295", true, Kind::Tune, 4294967295u},
        {"tune 4294.967296", false, Kind::Tune, 0},   // would wrap
        {"tune 99999", false, Kind::Tune, 0},
        {"tune 98.", false, Kind::Tune, 0},
        {"tune .5", false, Kind::Tune, 0},
        {"tune -98.1", false, Kind::Tune, 0},
        {"tune 9e1", false, Kind::Tune, 0},
        {"tune 98,1", false, Kind::Tune, 0},
        {"tune 98.1.1", false, Kind::Tune, 0},
        {"tune", false, Kind::Tune, 0},
        {"seek up", true, Kind::Seek, 0},
        {"seek down", true, Kind::Seek, 1},
        {"seek left", false, Kind::Seek, 0},
        {"preset next", true, Kind::PresetStep, 0},
        {"preset prev", true, Kind::PresetStep, 1},
        {"preset 3", false, Kind::PresetStep, 0},
        {"status", true, Kind::AskStatus, 0},
        {"status json", true, Kind::AskStatus, 1},
        {"status --json", false, Kind::AskStatus, 0},
    };
    for (const LineCase& c : cases) {
        Command command;
        ASSERT_EQ(parseLine(c.line, command), c.valid) << '"' << c.line << '"';
        if (!c.valid) continue;
        EXPECT_EQ(command.kind, c.kind) << c.line;
        EXPECT_EQ(command.value, c.value) << c.line;
    }
    Command command;
    EXPECT_FALSE(parseLine("togglemute", command));  // the desktop's own commands have no line
}

TEST(RemoteProtocol, TuneStatusSeekAndPresetOnTheCommandLine) {
    std::string line;
    EXPECT_TRUE(lineFor("tune", "98.1", line));
    EXPECT_EQ(line, "tune 98.1\n");
    EXPECT_FALSE(lineFor("tune", "98.1x", line));
    EXPECT_FALSE(lineFor("tune", nullptr, line));
    EXPECT_TRUE(lineFor("status", nullptr, line));
    EXPECT_EQ(line, "status\n");
    EXPECT_TRUE(lineFor("status", "--json", line));
    EXPECT_EQ(line, "status json\n");
    EXPECT_FALSE(lineFor("status", "json", line));
    EXPECT_TRUE(lineFor("preset", "prev", line));
    EXPECT_EQ(line, "preset prev\n");
    EXPECT_TRUE(lineFor("seek", "down", line));
    EXPECT_FALSE(lineFor("seek", nullptr, line));
}

TEST(RemoteProtocol, LinesLongerThanTheLimitAreNoCommands) {
    Command command;
    std::string padded = "station 7";
    EXPECT_TRUE(parseLine(padded, command));
    EXPECT_FALSE(parseLine(std::string(lineMax + 1, 'x'), command));
    EXPECT_FALSE(parseLine(std::string(std::string(1000, '\0') + "mute on"), command));
    EXPECT_FALSE(parseLine(std::string("mute on\0garbage", 15), command));
}

TEST(RemoteProtocol, ShowAndQuitAreWholeLines) {
    Command command;
    ASSERT_TRUE(parseLine("show", command));
    EXPECT_EQ(command.kind, Kind::Show);
    ASSERT_TRUE(parseLine("quit\r", command));
    EXPECT_EQ(command.kind, Kind::Quit);
    EXPECT_FALSE(parseLine("quit now", command));
    EXPECT_FALSE(parseLine("show ", command));
    EXPECT_FALSE(parseLine("Quit", command));
    EXPECT_STREQ(messageName(Kind::Quit), "");  // no message of the panel's
}

TEST(RemoteProtocol, CommandLineFollowsTheWindowsRemote) {
    std::string line;
    EXPECT_TRUE(lineFor("station", "7", line));
    EXPECT_EQ(line, "station 7\n");
    EXPECT_TRUE(lineFor("station", "100", line));  // sent; the panel ignores it
    EXPECT_TRUE(lineFor("station", "65535", line));
    EXPECT_FALSE(lineFor("station", "65536", line));
    EXPECT_FALSE(lineFor("station", "-1", line));
    EXPECT_FALSE(lineFor("station", "", line));
    EXPECT_FALSE(lineFor("station", "7x", line));
    EXPECT_FALSE(lineFor("station", "99999999999999999999", line));
    EXPECT_TRUE(lineFor("volume", "down", line));
    EXPECT_EQ(line, "volume down\n");
    EXPECT_TRUE(lineFor("mute", "off", line));
    EXPECT_FALSE(lineFor("mute", "maybe", line));
    EXPECT_FALSE(lineFor("tune", "up", line));
    EXPECT_FALSE(lineFor("volume", nullptr, line));
    EXPECT_FALSE(lineFor("show", "now", line));  // show and quit stand alone
    EXPECT_TRUE(lineFor("quit", nullptr, line));
    EXPECT_EQ(line, "quit\n");
    // Whatever the tool sends, the panel reads back as one command.
    Command command;
    ASSERT_TRUE(lineFor("station", "0042", line));
    EXPECT_TRUE(parseLine(line.substr(0, line.size() - 1), command));
    EXPECT_EQ(command.value, 42u);
}

TEST(RemoteProtocol, SocketPathPrefersTheRuntimeFolder) {
    EXPECT_EQ(socketPath("/run/user/1000", 1000), "/run/user/1000/orvanta.sock");
    EXPECT_EQ(socketPath("/run/user/1000/", 1000), "/run/user/1000/orvanta.sock");
    EXPECT_EQ(socketPath(nullptr, 1000), "/tmp/orvanta-1000/orvanta.sock");
    EXPECT_EQ(socketPath("", 1000), "/tmp/orvanta-1000/orvanta.sock");
    EXPECT_EQ(socketPath("relative/run", 7), "/tmp/orvanta-7/orvanta.sock");
    EXPECT_EQ(socketFolder("/tmp/orvanta-7/orvanta.sock"), "/tmp/orvanta-7");
}

class PrivateFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvanta-folder-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + base + "'").c_str()); }
    std::string base;
    unsigned uid = unsigned(getuid());
};

TEST_F(PrivateFolder, IsMadeWithMode0700AndAcceptedOnlyWhenPrivate) {
    const std::string folder = base + "/made";
    EXPECT_FALSE(securePrivateFolder(folder, uid, false));  // missing and not to be made
    ASSERT_TRUE(securePrivateFolder(folder, uid, true));
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string open = base + "/open";
    ASSERT_EQ(mkdir(open.c_str(), 0755), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    EXPECT_FALSE(securePrivateFolder(open, uid, true));  // others may enter: not ours alone

    const std::string link = base + "/link";
    ASSERT_EQ(symlink(folder.c_str(), link.c_str()), 0);
    EXPECT_FALSE(securePrivateFolder(link, uid, true));  // a link could point anywhere

    EXPECT_FALSE(securePrivateFolder(folder, uid + 1, false));  // someone else's
}

TEST_F(PrivateFolder, RuntimeFolderThatIsNotPrivateFallsBackToTmp) {
    const std::string open = base + "/run";
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    EXPECT_EQ(chooseSocketPath(open.c_str(), uid, false), open + "/orvanta.sock");
    ASSERT_EQ(chmod(open.c_str(), 0777), 0);
    const std::string chosen = chooseSocketPath(open.c_str(), uid, false);
    EXPECT_NE(chosen, open + "/orvanta.sock");
}

}  // namespace
}  // namespace orv::remote
