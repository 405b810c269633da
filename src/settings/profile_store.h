// A portable INI store that behaves as the Windows profile functions do:
// names compare without regard to case, reads are cut at 18 characters,
// writing no value removes the key (every line of it in its section). Writes
// go through a temporary file and an atomic rename, so a crash never leaves a
// truncated file; a read-only settings file is left as it is.
#pragma once

#include <string>

#include "platform/platform.h"

namespace orv {

class ProfileStore : public Profile {
public:
    explicit ProfileStore(std::string path);
    std::string readText(const char* section, const char* key, const char* def,
                         size_t maxChars) override;
    int readInt(const char* section, const char* key, int def) override;
    void writeString(const char* section, const char* key, const char* value) override;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace orv
