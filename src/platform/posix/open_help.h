// Opening the manual's web page from a native POSIX program: find
// orvanta.html beside the program or in its installed share folder, and hand
// it to the desktop's opener (xdg-open) without waiting for it.
#pragma once

#include <string>
#include <vector>

namespace orv::posix {

constexpr char helpPageName[] = "orvanta.html";
constexpr char defaultOpener[] = "xdg-open";

// The places the page may lie, in the order they are tried: beside the
// program, then <prefix>/share/doc/orvanta and <prefix>/share/orvanta, where
// <prefix> is the parent of the program's directory (bin/..).
std::vector<std::string> helpPageCandidates(const std::string& programPath);

// The first candidate that is a readable regular file; "" when there is none.
std::string findHelpPage(const std::string& programPath);

// Starts argv[0] (searched in PATH) with its arguments and returns without
// waiting for it: the program runs as a grandchild that init adopts, so no
// zombie is left behind. False when it could not be started (fork failed, or
// the program was not found or could not be executed).
bool launchDetached(const std::vector<std::string>& argv);

// This process's program file (/proc/self/exe); "" when unknown.
std::string currentProgramPath();

enum class HelpOpenResult { Opened, PageMissing, OpenerMissing };

// Finds the page for the program at programPath and starts `opener page`.
// shownPath gets the page that was opened, the page expected beside the
// program when there is none (PageMissing), or the page the opener could not
// be started for (OpenerMissing).
HelpOpenResult openHelpPage(const std::string& programPath, std::string& shownPath,
                            const std::string& opener = defaultOpener);

}  // namespace orv::posix
