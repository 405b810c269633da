// Renders the panel window as the headless back end draws it after start-up,
// so that a screenshot of the real program can be compared with it.
//
//   orvanta_render --skin text.dat --settings orvanta.ini --hour H --minute M --out panel.ppm
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/headless/headless.h"
#include "shell/startup.h"

namespace {

const char* const modulePath = "C:\\Orvanta\\orvanta.exe";
const char* const skinPath = "C:\\Orvanta\\text.dat";

bool writePpm(const std::string& path, const orv::HeadlessDisplay& d) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fprintf(out, "P6\n%d %d\n255\n", d.windowWidth, d.windowHeight);
    for (uint32_t p : d.window) {
        unsigned char rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
        std::fwrite(rgb, 1, 3, out);
    }
    return std::fclose(out) == 0;
}

int usage() {
    std::fprintf(stderr, "usage: orvanta_render --skin FILE --settings INI [--hour H] [--minute M] --out FILE.ppm\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string skin, settings, out;
    int hour = 10, minute = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--skin") skin = value;
        else if (option == "--settings") settings = value;
        else if (option == "--out") out = value;
        else if (option == "--hour") hour = std::atoi(value);
        else if (option == "--minute") minute = std::atoi(value);
        else return usage();
    }
    if (skin.empty() || settings.empty() || out.empty()) return usage();

    orv::Headless headless(settings);
    orv::App app(headless.platform);
    headless.window.app = &app;
    headless.window.modulePathValue = modulePath;
    headless.clock.local = orv::LocalTime{hour, minute};
    std::FILE* in = std::fopen(skin.c_str(), "rb");
    if (!in) {
        std::fprintf(stderr, "orvanta_render: cannot read %s\n", skin.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(in);
    headless.files.memory[skinPath] = bytes;

    orv::runPanel(app, 1);
    if (!app.state.skinLoaded) {
        std::fprintf(stderr, "orvanta_render: the skin did not load\n");
        return 1;
    }
    if (!writePpm(out, headless.display)) {
        std::fprintf(stderr, "orvanta_render: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
