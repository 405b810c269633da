// Where the Windows programs keep their settings: the Windows directory as
// always, the user's application-data folder where that cannot be written.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/profile_location.h"

namespace orv {
namespace {

class FakeProbe : public ProfileLocationProbe {
public:
    std::string appDataValue;
    std::set<std::string> files;
    bool writable = true;
    int writabilityProbes = 0;

    std::string appData() override { return appDataValue; }
    bool fileExists(const std::string& path) override { return files.count(path) > 0; }
    bool windowsDirectoryWritable() override {
        ++writabilityProbes;
        return writable;
    }
};

const char userFile[] = "C:\\Users\\ann\\AppData\\Roaming\\Orvanta\\orvanta.ini";
const char userFolder[] = "C:\\Users\\ann\\AppData\\Roaming\\Orvanta";

TEST(ProfileLocationTest, WindowsNinetyFiveAndAWritableWindowsDirectoryKeepTheBareName) {
    FakeProbe ninetyFive;  // no APPDATA at all
    ninetyFive.writable = false;
    ProfileLocation at = chooseProfileLocation(ninetyFive);
    EXPECT_EQ(at.path, "orvanta.ini");
    EXPECT_EQ(at.folder, "");

    FakeProbe admin;
    admin.appDataValue = "C:\\Users\\ann\\AppData\\Roaming";
    at = chooseProfileLocation(admin);
    EXPECT_EQ(at.path, "orvanta.ini");
    EXPECT_EQ(at.folder, "");
}

// A standard user on Vista and later: nothing could be kept in the Windows directory.
TEST(ProfileLocationTest, AnUnwritableWindowsDirectoryMovesTheFileToTheUsersFolder) {
    FakeProbe user;
    user.appDataValue = "C:\\Users\\ann\\AppData\\Roaming";
    user.writable = false;
    const ProfileLocation at = chooseProfileLocation(user);
    EXPECT_EQ(at.path, userFile);
    EXPECT_EQ(at.folder, userFolder);
}

// Once the user's file is there it stays in use, even where the Windows
// directory became writable (run once as administrator): the settings do not
// jump back to an older file.
TEST(ProfileLocationTest, AnExistingUserFileWinsWithoutProbingTheWindowsDirectory) {
    FakeProbe user;
    user.appDataValue = "C:\\Users\\ann\\AppData\\Roaming";
    user.files.insert(userFile);
    const ProfileLocation at = chooseProfileLocation(user);
    EXPECT_EQ(at.path, userFile);
    EXPECT_EQ(user.writabilityProbes, 0);
}

}  // namespace
}  // namespace orv
