// Clock, settings file, file reading, data folders, message boxes and help
// on POSIX and SDL2.
#include "platform/sdl2/backend.h"

#include "platform/posix/open_help.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef ORVANTA_DATA_FROM_BIN
#define ORVANTA_DATA_FROM_BIN "../share/orvanta"
#endif
#ifndef ORVANTA_DATA_DIR
#define ORVANTA_DATA_DIR "/usr/local/share/orvanta"
#endif

namespace orv::sdl2 {

namespace {

// The title of the core's close question ("Do you want the music to be in
// the background"): its Yes lets the program's own radio play on.
const char* const powerOffTitle = "Power-off Message";

const char* const skinFileName = "text.dat";
const char* const pseudoProgramName = "orvanta";  // the file name that stands for the data folder
const char* const settingsFolder = "orvanta";
const char* const settingsFileName = "orvanta.ini";

bool isFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? "." : path.substr(0, cut + 1);
}

// Creates every missing folder of path (not the last component), mode 0700.
void makeParentFolders(const std::string& path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/";
}

}  // namespace

uint32_t SystemClock::tickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

int64_t SystemClock::now() { return int64_t(std::time(nullptr)); }

LocalTime SystemClock::localTime() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return LocalTime{};
    return LocalTime{tm.tm_hour, tm.tm_min};
}

XdgProfile::XdgProfile(std::string path) : ProfileStore(std::move(path)) {}

void XdgProfile::writeString(const char* section, const char* key, const char* value) {
    makeParentFolders(path());
    ProfileStore::writeString(section, key, value);
}

std::string settingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = config && config[0] == '/' ? config : homeFolder() + "/.config";
    return base + "/" + settingsFolder + "/" + settingsFileName;
}

int PosixFiles::open(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

int32_t PosixFiles::read(int handle, void* dest, uint32_t count) {
    size_t want = count > uint32_t(INT32_MAX) ? size_t(INT32_MAX) : size_t(count);
    ssize_t n;
    do {
        n = ::read(handle, dest, want);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : int32_t(n);
}

bool PosixFiles::seek(int handle, uint32_t offset) { return lseek(handle, off_t(offset), SEEK_SET) >= 0; }

void PosixFiles::close(int handle) {
    if (handle >= 0) ::close(handle);
}

std::string dataFilePath(const std::string& executable) {
    const std::string own = folderOf(executable);
    const std::string candidates[] = {own, own + ORVANTA_DATA_FROM_BIN "/", ORVANTA_DATA_DIR "/"};
    for (const std::string& folder : candidates) {
        if (!isFile(folder + skinFileName)) continue;
        // Without "..": the panel's path buffers are short.
        char resolved[PATH_MAX];
        if (folder != own && realpath(folder.c_str(), resolved)) return std::string(resolved) + "/" + pseudoProgramName;
        return folder + pseudoProgramName;
    }
    return executable;
}

BoxAnswer SdlDialogs::messageBox(const char* text, const char* title, BoxKind kind) {
    struct Choice {
        BoxAnswer answer;
        const char* label;
        Uint32 flags;
    };
    const Choice ok[] = {{BoxAnswer::Ok, "OK",
                          SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
    const Choice question[] = {{BoxAnswer::Yes, "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT},
                               {BoxAnswer::No, "No", 0},
                               {BoxAnswer::Cancel, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
    const bool asks = kind == BoxKind::YesNoCancel;
    const Choice* choices = asks ? question : ok;
    const int count = asks ? 3 : 1;
    SDL_MessageBoxButtonData buttons[3];
    for (int i = 0; i < count; ++i) buttons[i] = SDL_MessageBoxButtonData{choices[i].flags, i, choices[i].label};
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT |
                (kind == BoxKind::ErrorOk ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION);
    box.window = window_.handle();
    box.title = title;
    box.message = text;
    box.numbuttons = count;
    box.buttons = buttons;
    int pressed = -1;
    const bool shown = SDL_ShowMessageBox(&box, &pressed) == 0;
    window_.afterModalBox();
    // A box that could not be shown (or was closed without a button) keeps
    // the panel as it is: Cancel for the question.
    const BoxAnswer answer =
        !shown || pressed < 0 || pressed >= count ? (asks ? BoxAnswer::Cancel : BoxAnswer::Ok) : choices[pressed].answer;
    if (asks && std::strcmp(title, powerOffTitle) == 0) playOn_ = answer == BoxAnswer::Yes;
    return answer;
}

HelpResult SdlDialogs::showHelp(const char*, std::string& shownFile) {
    switch (posix::openHelpPage(posix::currentProgramPath(), shownFile)) {
    case posix::HelpOpenResult::Opened: return HelpResult::Opened;
    case posix::HelpOpenResult::PageMissing: return HelpResult::FileMissing;
    case posix::HelpOpenResult::OpenerMissing: return HelpResult::ViewerMissing;
    }
    return HelpResult::ViewerMissing;
}

}  // namespace orv::sdl2
