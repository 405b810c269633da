#include "platform/posix/open_help.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <climits>

namespace orv::posix {

namespace {

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool isReadableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

}  // namespace

std::vector<std::string> helpPageCandidates(const std::string& programPath) {
    const std::string dir = directoryOf(programPath);
    const std::string prefix = join(dir, "..");
    return {join(dir, helpPageName), join(prefix, std::string("share/doc/orvanta/") + helpPageName),
            join(prefix, std::string("share/orvanta/") + helpPageName)};
}

std::string findHelpPage(const std::string& programPath) {
    for (const std::string& candidate : helpPageCandidates(programPath))
        if (isReadableFile(candidate)) return candidate;
    return "";
}

bool launchDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) return false;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // The grandchild reports a failed exec through a pipe that a successful
    // exec closes (close-on-exec); end of file means the program started.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            sigset_t none;  // a caller may block signals for a watcher thread; the opened program gets none blocked
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            setsid();
            execvp(args[0], args.data());
            const int error = errno;
            ssize_t ignored = write(report[1], &error, sizeof error);
            (void)ignored;
            _exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            ssize_t ignored = write(report[1], &error, sizeof error);
            (void)ignored;
        }
        _exit(0);  // the grandchild is adopted by init and reaped there
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    while ((n = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    return n == 0;
}

std::string currentProgramPath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "";
    return std::string(buffer, size_t(n));
}

HelpOpenResult openHelpPage(const std::string& programPath, std::string& shownPath, const std::string& opener) {
    const std::string page = findHelpPage(programPath);
    if (page.empty()) {
        shownPath = helpPageCandidates(programPath).front();
        return HelpOpenResult::PageMissing;
    }
    shownPath = page;
    return launchDetached({opener, page}) ? HelpOpenResult::Opened : HelpOpenResult::OpenerMissing;
}

}  // namespace orv::posix
