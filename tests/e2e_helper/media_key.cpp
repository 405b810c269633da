// Test helper for the end-to-end suite: a keyboard media key as the system
// hands it to the focused window, WM_APPCOMMAND with the command in the
// high word of lParam and the keyboard as its device.
//   media_key playpause|play|pause|stop|next|previous|volumeup|volumedown|mute
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

struct Named {
    const char* name;
    int command;  // APPCOMMAND_*
};

const Named commands[] = {
    {"mute", 8}, {"volumedown", 9}, {"volumeup", 10}, {"next", 11}, {"previous", 12},
    {"stop", 13}, {"playpause", 14}, {"play", 46}, {"pause", 47},
};
const UINT appCommandMessage = 0x0319;  // WM_APPCOMMAND

}  // namespace

int main(int argc, char** argv) {
    int command = -1;
    for (const Named& n : commands)
        if (argc == 2 && std::strcmp(argv[1], n.name) == 0) command = n.command;
    if (command < 0) {
        std::fprintf(stderr, "usage: media_key playpause|play|pause|stop|next|previous|volumeup|volumedown|mute\n");
        return 2;
    }
    HWND panel = FindWindowA("OrvantaWClass", nullptr);
    if (!panel) {
        std::fprintf(stderr, "media_key: no panel is running\n");
        return 1;
    }
    const LRESULT taken = SendMessageA(panel, appCommandMessage, WPARAM(panel), MAKELPARAM(0, command));
    std::printf("%s\n", taken ? "taken" : "not taken");
    return 0;
}
