#include "settings/profile_location.h"

namespace orv {

const char profileFileName[] = "orvanta.ini";

namespace {
const char userFolderName[] = "\\Orvanta";
}

ProfileLocation chooseProfileLocation(ProfileLocationProbe& probe) {
    ProfileLocation bare{profileFileName, ""};
    const std::string appData = probe.appData();
    if (appData.empty()) return bare;
    ProfileLocation user{appData + userFolderName + "\\" + profileFileName, appData + userFolderName};
    // The user's own file, once there, is the one in use: the Windows
    // directory is not probed (and no probe file is made there) again.
    if (probe.fileExists(user.path)) return user;
    return probe.windowsDirectoryWritable() ? bare : user;
}

}  // namespace orv
