// Where the native program keeps its settings and finds its data.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sdl2/backend.h"

namespace orv::sdl2 {
namespace {

class Folder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvanta-system-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
        saveEnv("XDG_CONFIG_HOME", config);
        saveEnv("HOME", home);
    }
    void TearDown() override {
        restoreEnv("XDG_CONFIG_HOME", config);
        restoreEnv("HOME", home);
        std::system(("rm -rf '" + base + "'").c_str());
    }
    static void saveEnv(const char* name, std::pair<bool, std::string>& saved) {
        const char* v = std::getenv(name);
        saved = {v != nullptr, v ? v : ""};
    }
    static void restoreEnv(const char* name, const std::pair<bool, std::string>& saved) {
        if (saved.first)
            setenv(name, saved.second.c_str(), 1);
        else
            unsetenv(name);
    }
    void touch(const std::string& path) { std::ofstream(path) << "x"; }
    bool exists(const std::string& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0;
    }

    std::string base;
    std::pair<bool, std::string> config, home;
};

TEST_F(Folder, SettingsLiveInTheXdgConfigFolderElseInDotConfig) {
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(settingsPath(), "/somewhere/config/orvanta/orvanta.ini");
    setenv("HOME", "/home/listener", 1);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: ignored
    EXPECT_EQ(settingsPath(), "/home/listener/.config/orvanta/orvanta.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsPath(), "/home/listener/.config/orvanta/orvanta.ini");
}

TEST_F(Folder, SettingsFolderIsMadeAtTheFirstWriteNotByReading) {
    const std::string path = base + "/config/orvanta/orvanta.ini";
    XdgProfile profile(path);
    EXPECT_EQ(profile.readInt("RadioStation", "STATION", 1), 1);
    EXPECT_FALSE(exists(base + "/config"));
    profile.writeString("RadioStation", "STATION", "7");
    EXPECT_EQ(profile.readInt("RadioStation", "STATION", 1), 7);
    struct stat st {};
    ASSERT_EQ(stat((base + "/config/orvanta").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Folder, SettingsFromWindowsWithCrlfReadTheSame) {
    const std::string path = base + "/orvanta.ini";
    std::ofstream(path) << "[RadioStation]\r\nSTATION=12\r\nSTATION12=98.100000\r\n[Position]\r\nX=-20\r\n";
    XdgProfile profile(path);
    EXPECT_EQ(profile.readInt("RadioStation", "STATION", 1), 12);
    EXPECT_EQ(profile.readString("RadioStation", "STATION12", ""), "98.100000");
    EXPECT_EQ(profile.readInt("position", "x", 150), -20);
    profile.writeString("Position", "Y", "40");  // the file keeps its line ends
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Y=40\r\n"), std::string::npos);
}

TEST_F(Folder, SkinBesideTheProgramElseInTheInstalledDataFolder) {
    const std::string bin = base + "/prefix/bin", data = base + "/prefix/share/orvanta";
    ASSERT_EQ(std::system(("mkdir -p '" + bin + "' '" + data + "'").c_str()), 0);
    const std::string program = bin + "/orvanta";
    // Nowhere: the program's own folder, so the usual error boxes follow.
    EXPECT_EQ(dataFilePath(program), program);
    touch(data + "/text.dat");
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(data.c_str(), resolved), nullptr);
    EXPECT_EQ(dataFilePath(program), std::string(resolved) + "/orvanta");  // no ".." in it
    touch(bin + "/text.dat");  // beside the program wins
    EXPECT_EQ(dataFilePath(program), program);
}

}  // namespace
}  // namespace orv::sdl2
