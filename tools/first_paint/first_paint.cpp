// Measures how long a program takes from its start to the first full paint
// of its window on an X display, for scripts/figures.sh.
//
//   first_paint NAME SETTLE_MS TIMEOUT_MS COMMAND [ARGS...]
//
// Starts COMMAND, waits for a viewable window named NAME and reads the
// window's pixels back every millisecond or so. A column counts as painted
// when it holds a pixel that is not black. Once the window has been watched
// for SETTLE_MS, the time at which the number of painted columns first
// reached its final value is the first full paint. Prints
//   window_ms=W paint_ms=P columns=C
// (milliseconds since the start), then ends COMMAND. Exit status 1 when no
// such window showed within TIMEOUT_MS.
//
// Built by scripts/figures.sh with the system's C++ compiler and Xlib.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

// The first viewable window named name below root, or 0.
Window findWindow(Display* display, Window root, const char* name) {
    Window parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) && title) {
            if (std::strcmp(title, name) == 0) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
                    found = children[i];
            }
            XFree(title);
        }
        if (!found) found = findWindow(display, children[i], name);
    }
    if (children) XFree(children);
    return found;
}

// The number of columns of the window that hold a pixel that is not black; -1 on failure.
int paintedColumns(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return -1;
    XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                              AllPlanes, ZPixmap);
    if (!image) return -1;
    int painted = 0;
    for (int x = 0; x < attributes.width; ++x) {
        for (int y = 0; y < attributes.height; ++y) {
            if (XGetPixel(image, x, y) & 0xFFFFFF) {
                ++painted;
                break;
            }
        }
    }
    XDestroyImage(image);
    return painted;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s NAME SETTLE_MS TIMEOUT_MS COMMAND [ARGS...]\n", argv[0]);
        return 2;
    }
    const char* name = argv[1];
    const double settleMs = std::atof(argv[2]);
    const double timeoutMs = std::atof(argv[3]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "first_paint: no X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);

    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    if (child < 0) return 2;

    Window window = 0;
    double windowAt = 0, paintAt = 0;
    int best = -1;
    while (nowMs() - start < timeoutMs) {
        if (!window) {
            window = findWindow(display, root, name);
            if (window) windowAt = nowMs() - start;
        }
        if (window) {
            const int painted = paintedColumns(display, window);
            if (painted > best) {
                best = painted;
                paintAt = nowMs() - start;
            }
            if (nowMs() - start - windowAt >= settleMs) break;
        }
        usleep(window ? 500 : 2000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (!window) {
        std::fprintf(stderr, "first_paint: no window named %s within %.0f ms\n", name, timeoutMs);
        return 1;
    }
    std::printf("window_ms=%.1f paint_ms=%.1f columns=%d\n", windowAt, paintAt, best);
    return 0;
}
