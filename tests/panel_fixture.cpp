#include "panel_fixture.h"

#include "shell/startup.h"
#include "shell/window_proc.h"

namespace orv::test {

namespace {
void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
}  // namespace

std::vector<uint8_t> coordinateSkinFile() {
    const uint32_t rowBytes = (kSkinW * 3 + 3) / 4 * 4;
    const uint32_t imageSize = rowBytes * kSkinH;
    std::vector<uint8_t> file(54 + imageSize, 0);
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 2, uint32_t(file.size()));
    put32(file, 10, 54);
    put32(file, 14, 40);
    put32(file, 18, kSkinW);
    put32(file, 22, kSkinH);
    put16(file, 26, 1);
    put16(file, 28, 24);
    for (int y = 0; y < kSkinH; ++y) {
        size_t row = 54 + size_t(kSkinH - 1 - y) * rowBytes;  // bottom-up
        for (int x = 0; x < kSkinW; ++x) {
            uint32_t c = coordinateColour(x, y);
            file[row + 3 * x] = uint8_t(c);            // blue
            file[row + 3 * x + 1] = uint8_t(c >> 8);   // green
            file[row + 3 * x + 2] = uint8_t(c >> 16);  // red
        }
    }
    return file;
}

PanelFixture::PanelFixture(bool withSkin) {
    h.window.app = &app;
    h.window.modulePathValue = kModulePath;
    if (withSkin) h.files.memory[kSkinPath] = coordinateSkinFile();
}

int PanelFixture::start() { return runPanel(app, 1); }

bool PanelFixture::shows(int x, int y, int w, int hgt, int sx, int sy) const {
    for (int r = 0; r < hgt; ++r)
        for (int c = 0; c < w; ++c)
            if (h.display.windowPixel(x + c, y + r) != coordinateColour(sx + c, sy + r)) return false;
    return true;
}

std::string PanelFixture::sourceOf(int x, int y) const {
    uint32_t p = h.display.windowPixel(x, y);
    return "(" + std::to_string(sourceX(p)) + "," + std::to_string(sourceY(p)) + ")";
}

void PanelFixture::press(int x, int y) {
    h.window.cursor = Point{x, y};
    onLeftDown(app, x, y);
}

void PanelFixture::move(int x, int y, bool leftOnly) {
    h.window.cursor = Point{x, y};
    onMouseMove(app, leftOnly, x, y);
}

void PanelFixture::release() { onLeftUp(app); }

}  // namespace orv::test
