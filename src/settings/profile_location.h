// Where the Windows programs keep "orvanta.ini". The profile functions take
// the bare name to mean the Windows directory, which is where the file has
// always been and where Windows 95 to XP let every user write. Windows Vista
// and later let a standard user write there only through file
// virtualization, which the programs' manifest (asInvoker) turns off: every
// write would fail and nothing would be kept. So the per-user file
// %APPDATA%\Orvanta\orvanta.ini is used where APPDATA is set and either that
// file already exists or the Windows directory cannot be written.
#pragma once

#include <string>

namespace orv {

// What the choice asks of the system; tests hand in their answers.
class ProfileLocationProbe {
public:
    virtual ~ProfileLocationProbe() = default;
    virtual std::string appData() = 0;  // "" when APPDATA is not set
    virtual bool fileExists(const std::string& path) = 0;
    virtual bool windowsDirectoryWritable() = 0;
};

struct ProfileLocation {
    std::string path;    // "orvanta.ini" (the Windows directory) or a full path
    std::string folder;  // made before the first write; empty for the bare name
};

extern const char profileFileName[];

ProfileLocation chooseProfileLocation(ProfileLocationProbe& probe);

}  // namespace orv
