// Start-up of the panel: the order in which the program comes to life.
#pragma once

#include <string>

#include "shell/receiver_state.h"

namespace orv {

// Runs start-up and the message loop; returns 0 when the class cannot be
// registered or the window cannot be created, else the loop's exit code.
int runPanel(App& app, int showCommand);
// Reads the saved position; both coordinates go back to (150, 100) when X
// exceeds the screen width or Y the screen height. At a scale above 1 the
// panel is then pulled in so that it hangs over the right and bottom edges
// no further than at scale 1.
void readWindowPosition(App& app);
// Sets the window's scale from [Window] SCALE (auto: the desktop's), at most
// what lets the full panel fit on the screen.
void chooseWindowScale(App& app);
// moduleDirectory: the program path cut just after its last backslash or slash (bounded).
void buildModuleDirectory(App& app, const std::string& modulePath);
// helpFilePath: the program path cut after its last backslash, slash or colon, then
// "orvanta.hlp" when it fits in 128 bytes, else "?".
void buildHelpFilePath(App& app, const std::string& modulePath);
// Opens the help file's contents page. When the help file or its viewer is
// missing, says so in one OK box and returns false.
bool ShowHelp(App& app);
// Closes the help viewer that ShowHelp opened, if it did.
void closeHelp(App& app);

}  // namespace orv
