// Clock, settings file, file reading and message boxes on KERNEL32, USER32
// and the C runtime.
#include "platform/win32/backend.h"

#include <ctime>
#include <vector>

namespace orv::win32 {

namespace {

// The system's answers for choosing where the settings file lives.
class SystemProfileProbe : public ProfileLocationProbe {
public:
    std::string appData() override {
        char value[MAX_PATH];
        const DWORD n = GetEnvironmentVariableA("APPDATA", value, MAX_PATH);
        return n == 0 || n >= MAX_PATH ? "" : std::string(value, n);
    }
    bool fileExists(const std::string& path) override {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // True when a new file can be made in the Windows directory; the probe
    // file is deleted again at once. (GetTempFileName is no probe: Wine's
    // returns a name even where the file could not be made.)
    bool windowsDirectoryWritable() override {
        char dir[MAX_PATH];
        const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
        if (n == 0 || n + sizeof "\\orvFFFF.tmp" > MAX_PATH) return false;
        const char* separator = dir[n - 1] == '\\' ? "" : "\\";
        for (DWORD attempt = 0; attempt < probeAttempts; ++attempt) {
            char probe[MAX_PATH];
            wsprintfA(probe, "%s%sorv%04X.tmp", dir, separator, unsigned((GetTickCount() + attempt * 7919u) & 0xFFFFu));
            HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
                DeleteFileA(probe);
                return true;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }

private:
    static constexpr DWORD probeAttempts = 8;  // names already taken are tried again
};

}  // namespace

IniProfile::IniProfile() {
    SystemProfileProbe probe;
    const ProfileLocation location = chooseProfileLocation(probe);
    path_ = location.path;
    folder_ = location.folder;
}

uint32_t SystemClock::tickCount() {
    return GetTickCount();
}

int64_t SystemClock::now() {
    return int64_t(std::time(nullptr));
}

LocalTime SystemClock::localTime() {
    std::time_t t = std::time(nullptr);
    const std::tm* tm = std::localtime(&t);
    if (!tm) return LocalTime{};
    return LocalTime{tm->tm_hour, tm->tm_min};
}

std::string IniProfile::readText(const char* section, const char* key, const char* def,
                                 size_t maxChars) {
    std::vector<char> buffer(maxChars + 1, '\0');
    DWORD n = GetPrivateProfileStringA(section, key, def ? def : "", buffer.data(),
                                       DWORD(buffer.size()), path_.c_str());
    return std::string(buffer.data(), n < buffer.size() ? n : buffer.size() - 1);
}

int IniProfile::readInt(const char* section, const char* key, int def) {
    return int(GetPrivateProfileIntA(section, key, def, path_.c_str()));
}

void IniProfile::writeString(const char* section, const char* key, const char* value) {
    if (!folder_.empty()) CreateDirectoryA(folder_.c_str(), nullptr);  // fails harmlessly when it exists
    WritePrivateProfileStringA(section, key, value, path_.c_str());
}

// Handles are the system's own file handles (OpenFile's HFILE).
int FileReader::open(const char* path) {
    OFSTRUCT ofs{};
    HFILE file = OpenFile(path, &ofs, OF_READ | OF_SHARE_DENY_NONE);
    return file == HFILE_ERROR ? -1 : int(file);
}

int32_t FileReader::read(int handle, void* dest, uint32_t count) {
    UINT n = _lread(HFILE(handle), dest, count);
    return n == UINT(HFILE_ERROR) ? -1 : int32_t(n);
}

bool FileReader::seek(int handle, uint32_t offset) {
    return _llseek(HFILE(handle), LONG(offset), FILE_BEGIN) != HFILE_ERROR;
}

void FileReader::close(int handle) {
    _lclose(HFILE(handle));
}

BoxAnswer MessageDialogs::messageBox(const char* text, const char* title, BoxKind kind) {
    UINT style = MB_OK;
    if (kind == BoxKind::ErrorOk) style = MB_OK | MB_ICONERROR;
    if (kind == BoxKind::YesNoCancel) style = MB_YESNOCANCEL;
    switch (MessageBoxA(session().hwnd, text, title, style)) {
    case IDYES: return BoxAnswer::Yes;
    case IDNO: return BoxAnswer::No;
    case IDCANCEL: return BoxAnswer::Cancel;
    default: return BoxAnswer::Ok;
    }
}

namespace {

const char helpExtension[] = ".hlp";
const char pageExtension[] = ".html";
constexpr DWORD firstVersionWithoutWinHelp = 6;  // Windows Vista
constexpr UINT_PTR shellExecuteOk = 32;          // ShellExecute's results above this mean success

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Wine reports a Windows version of its own choosing but ships WinHelp
// (winhlp32); its ntdll exports wine_get_version.
bool runningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Windows 95 to XP have WinHelp; Vista and later dropped it.
bool systemHasWinHelp() {
    if (runningOnWine()) return true;
    const DWORD version = GetVersion();
    return LOBYTE(LOWORD(version)) < firstVersionWithoutWinHelp;
}

// The web page beside the help file: orvanta.hlp -> orvanta.html.
std::string pageBeside(const std::string& helpPath) {
    const size_t n = sizeof helpExtension - 1;
    if (helpPath.size() < n || lstrcmpiA(helpPath.c_str() + helpPath.size() - n, helpExtension) != 0)
        return helpPath;
    return helpPath.substr(0, helpPath.size() - n) + pageExtension;
}

// ShellExecuteA from SHELL32, loaded at run time so that the program's
// import table names only KERNEL32, USER32, GDI32 and msvcrt.
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
bool openWithShell(HWND owner, const std::string& file) {
    static HMODULE shell32 = LoadLibraryA("shell32.dll");  // kept loaded: the shell may call back into it
    if (!shell32) return false;
    auto shellExecute = reinterpret_cast<ShellExecuteFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(shell32, "ShellExecuteA")));
    if (!shellExecute) return false;
    HINSTANCE result = shellExecute(owner, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<UINT_PTR>(result) > shellExecuteOk;
}

}  // namespace

HelpResult MessageDialogs::showHelp(const char* path, std::string& shownFile) {
    if (systemHasWinHelp()) {
        shownFile = path;
        if (!fileExists(shownFile)) return HelpResult::FileMissing;
        if (!WinHelpA(session().hwnd, path, HELP_CONTENTS, 0)) return HelpResult::ViewerMissing;
        winHelpOpened_ = true;
        return HelpResult::Opened;
    }
    shownFile = pageBeside(path);
    if (!fileExists(shownFile)) return HelpResult::FileMissing;
    if (!openWithShell(session().hwnd, shownFile)) return HelpResult::ViewerMissing;
    return HelpResult::Opened;
}

void MessageDialogs::closeHelp(const char* path) {
    if (!winHelpOpened_) return;  // a browser is not ours to close
    winHelpOpened_ = false;
    WinHelpA(session().hwnd, path, HELP_QUIT, 0);
}

}  // namespace orv::win32
