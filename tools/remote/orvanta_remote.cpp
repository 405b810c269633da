// Remote control for a running panel, through the three registered messages
// that every cooperating program shares.
//
//   orvanta_remote station N     select preset N (1..99)
//   orvanta_remote volume up|down
//   orvanta_remote mute on|off
//   orvanta_remote status          which card the panel drives
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int usage() {
    std::fprintf(stderr, "usage: orvanta_remote station N | volume up|down | mute on|off | status\n");
    return 2;
}

// The message name and its wParam for a command; false when the command is unknown.
bool commandFor(const char* verb, const char* value, const char** message, WPARAM* wParam) {
    if (std::strcmp(verb, "station") == 0) {
        char* end = nullptr;
        long n = std::strtol(value, &end, 10);
        if (*value == '\0' || *end != '\0' || n < 0 || n > 0xFFFF) return false;
        *message = "TQ_SETSTATION";
        *wParam = WPARAM(n);
        return true;
    }
    if (std::strcmp(verb, "volume") == 0 && (std::strcmp(value, "up") == 0 || std::strcmp(value, "down") == 0)) {
        *message = "TQ_SETVOLUME";
        *wParam = std::strcmp(value, "up") == 0 ? 0 : 1;  // 0 steps up, anything else down
        return true;
    }
    if (std::strcmp(verb, "mute") == 0 && (std::strcmp(value, "on") == 0 || std::strcmp(value, "off") == 0)) {
        *message = "TQ_MUTE";
        *wParam = std::strcmp(value, "on") == 0 ? 1 : 0;
        return true;
    }
    return false;
}

}  // namespace

// Asks the panel which card it drives ("TQ_CARD") and prints it.
int printStatus(HWND panel) {
    static const char* const kinds[] = {"no card open", "the simulated card",
                                        "the card's port, directly",
                                        "the card's port, through the port driver library"};
    DWORD_PTR kind = 0;
    UINT message = RegisterWindowMessageA("TQ_CARD");
    if (message == 0 || !SendMessageTimeoutA(panel, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &kind)) {
        std::fprintf(stderr, "orvanta_remote: the panel did not answer\n");
        return 1;
    }
    std::printf("card: %s\n", kind < sizeof kinds / sizeof *kinds ? kinds[kind] : "unknown");
    return 0;
}

int main(int argc, char** argv) {
    const char* name = nullptr;
    WPARAM wParam = 0;
    const bool status = argc == 2 && std::strcmp(argv[1], "status") == 0;
    if (!status && (argc != 3 || !commandFor(argv[1], argv[2], &name, &wParam))) return usage();
    HWND panel = FindWindowA("OrvantaWClass", nullptr);
    if (!panel) {
        std::fprintf(stderr, "orvanta_remote: no panel is running\n");
        return 1;
    }
    if (status) return printStatus(panel);
    UINT message = RegisterWindowMessageA(name);
    if (message == 0 || !PostMessageA(panel, message, wParam, 0)) {
        std::fprintf(stderr, "orvanta_remote: the message could not be sent\n");
        return 1;
    }
    return 0;
}
