// Watches a rectangle of the X screen until it shows a reference picture,
// for timing a program's first full paint without screenshot tools in the loop.
//
//   orvanta_paintwatch --ref PANEL.ppm --at X,Y [--mask X,Y,W,H] --since EPOCH_MS [--timeout MS]
//
// Compares every 5 ms; prints the milliseconds from EPOCH_MS (the wall-clock
// time the program was launched) to the first matching look and the number
// of looks taken. Exits 0 on a match, 1 on timeout, 2 on bad use.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int pollMs = 5;

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned long> rgb;  // 0xRRGGBB
};

bool readPpm(const char* path, Picture& p) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    int maxValue = 0;
    const bool header = std::fscanf(f, "P6 %d %d %d", &p.width, &p.height, &maxValue) == 3 && maxValue == 255 &&
                        p.width > 0 && p.height > 0 && p.width <= 4096 && p.height <= 4096;
    std::fgetc(f);  // the one whitespace after the header
    std::vector<unsigned char> bytes(header ? size_t(p.width) * p.height * 3 : 0);
    const bool ok = header && std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::fclose(f);
    if (!ok) return false;
    p.rgb.resize(size_t(p.width) * p.height);
    for (size_t i = 0; i < p.rgb.size(); ++i)
        p.rgb[i] = (unsigned long)bytes[3 * i] << 16 | (unsigned long)bytes[3 * i + 1] << 8 | bytes[3 * i + 2];
    return true;
}

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int usage() {
    std::fprintf(stderr, "usage: orvanta_paintwatch --ref PANEL.ppm --at X,Y [--mask X,Y,W,H] --since EPOCH_MS [--timeout MS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const char* ref = nullptr;
    int atX = 0, atY = 0, mx = 0, my = 0, mw = 0, mh = 0;
    long long since = 0, timeout = 60000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--ref") ref = value;
        else if (option == "--at" && std::sscanf(value, "%d,%d", &atX, &atY) == 2) continue;
        else if (option == "--mask" && std::sscanf(value, "%d,%d,%d,%d", &mx, &my, &mw, &mh) == 4) continue;
        else if (option == "--since") since = std::atoll(value);
        else if (option == "--timeout") timeout = std::atoll(value);
        else return usage();
    }
    Picture want;
    if (!ref || since <= 0 || !readPpm(ref, want)) return usage();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "orvanta_paintwatch: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // a look outside the screen just fails
    const Window root = DefaultRootWindow(display);
    for (long looks = 1;; ++looks) {
        const long long t = nowMs();
        XImage* image = XGetImage(display, root, atX, atY, unsigned(want.width), unsigned(want.height), AllPlanes, ZPixmap);
        bool same = image != nullptr;
        for (int y = 0; same && y < want.height; ++y)
            for (int x = 0; same && x < want.width; ++x) {
                if (x >= mx && x < mx + mw && y >= my && y < my + mh) continue;
                same = (XGetPixel(image, x, y) & 0xFFFFFF) == want.rgb[size_t(y) * want.width + x];
            }
        if (image) XDestroyImage(image);
        if (same) {
            std::printf("%lld %ld\n", t - since, looks);
            return 0;
        }
        if (t - since > timeout) {
            std::printf("timeout %ld\n", looks);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
}
