// Test helper for the end-to-end suite: takes the mouse capture away from a
// running panel the way the system does when another program or Alt+Tab
// interrupts a drag. "cancelmode" sends WM_CANCELMODE (the system's request
// to cancel capture and modes); "capturechanged" sends WM_CAPTURECHANGED as a
// window that took the capture would cause it.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: take_capture cancelmode|capturechanged\n");
        return 2;
    }
    HWND panel = FindWindowA("OrvantaWClass", nullptr);
    if (!panel) {
        std::fprintf(stderr, "take_capture: no panel is running\n");
        return 1;
    }
    if (std::strcmp(argv[1], "cancelmode") == 0) {
        SendMessageA(panel, WM_CANCELMODE, 0, 0);
    } else if (std::strcmp(argv[1], "capturechanged") == 0) {
        SendMessageA(panel, WM_CAPTURECHANGED, 0, 0);
    } else {
        return 2;
    }
    return 0;
}
