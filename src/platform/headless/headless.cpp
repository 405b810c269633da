#include "platform/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "render/dib.h"
#include "shell/window_proc.h"

namespace orv {

namespace {
constexpr int skinW = 430;
constexpr int skinH = 344;
constexpr uint32_t firstMessageId = 0xC000;  // where registered messages start
}  // namespace

uint32_t VirtualClock::tickCount() {
    ++reads;
    uint32_t reading = ticks;
    ticks += stepPerRead;
    return reading;
}

void RecordingPort::writeByte(uint16_t port, uint8_t value) {
    ops.push_back({'W', port, value});
    if (journal) {
        char text[8];
        std::snprintf(text, sizeof text, "W %02X", unsigned(value));
        journal->push_back(text);
    }
    if (attached) attached->writeByte(port, value);
}

uint8_t RecordingPort::readByte(uint16_t port) {
    uint8_t v = attached ? attached->readByte(port) : readValue;
    ops.push_back({'R', port, v});
    return v;
}

uint16_t RecordingPort::readWord(uint16_t port) {
    uint16_t v = attached ? attached->readWord(port) : uint16_t(0xFFFF);
    ops.push_back({'V', port, v});
    return v;
}

std::vector<uint8_t> RecordingPort::writes() const {
    std::vector<uint8_t> out;
    for (const PortOp& op : ops)
        if (op.kind == 'W') out.push_back(uint8_t(op.value));
    return out;
}

int HeadlessFiles::open(const char* path) {
    Open f;
    auto it = memory.find(path);
    if (it != memory.end()) {
        f.data = it->second;
    } else {
        std::ifstream in(path, std::ios::binary);
        if (!in) return -1;
        f.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    int h = next_++;
    open_[h] = std::move(f);
    ++openCount;
    return h;
}

int32_t HeadlessFiles::read(int handle, void* dest, uint32_t count) {
    readSizes.push_back(count);
    auto it = open_.find(handle);
    if (it == open_.end()) return -1;
    Open& f = it->second;
    size_t n = std::min<size_t>(count, f.data.size() - std::min(f.pos, f.data.size()));
    if (n) std::copy(f.data.begin() + long(f.pos), f.data.begin() + long(f.pos + n), static_cast<uint8_t*>(dest));
    f.pos += n;
    return int32_t(n);
}

bool HeadlessFiles::seek(int handle, uint32_t offset) {
    auto it = open_.find(handle);
    if (it == open_.end()) return false;
    it->second.pos = offset;
    return true;
}

void HeadlessFiles::close(int handle) {
    if (open_.erase(handle)) --openCount;
}

bool HeadlessDisplay::createPalette(const std::vector<PaletteEntry>& entries) {
    if (failPalette) return false;
    palette = entries;
    hasPalette = true;
    return true;
}

bool HeadlessDisplay::createPanelSurface() {
    if (failSurface) return false;
    skin.assign(size_t(skinW) * skinH, 0);
    return true;
}

bool HeadlessDisplay::convertSkin(const uint8_t* info, uint32_t headerSize, const uint8_t* bits,
                                  uint32_t bitsSize, bool paletteRelative) {
    if (skin.empty()) return false;
    return convertDib(info, headerSize, bits, bitsSize, paletteRelative, palette, skinW, skinH, skin);
}

void HeadlessDisplay::releaseSkin() {
    skin.clear();
    palette.clear();
    hasPalette = false;
}

void HeadlessDisplay::copy(Target dst, int x, int y, int w, int h, int sx, int sy) {
    if (skin.empty()) return;
    if (dst == Target::Window) {
        ++windowCopies;
        if (w == 1) copyXs.push_back(x);
    }
    // Read the source first: a copy within panelDC may overlap itself.
    std::vector<uint32_t> block(size_t(std::max(w, 0)) * size_t(std::max(h, 0)), 0);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            int px = sx + c, py = sy + r;
            if (px >= 0 && py >= 0 && px < skinW && py < skinH)
                block[size_t(r) * w + c] = skin[size_t(py) * skinW + px];
        }
    std::vector<uint32_t>& out = dst == Target::Window ? window : skin;
    int ow = dst == Target::Window ? windowWidth : skinW;
    int oh = dst == Target::Window ? windowHeight : skinH;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            int px = x + c, py = y + r;
            if (px >= 0 && py >= 0 && px < ow && py < oh) out[size_t(py) * ow + px] = block[size_t(r) * w + c];
        }
}

bool HeadlessDisplay::openScreen() {
    if (screen.size() != size_t(screenWidth) * screenHeight) screen.assign(size_t(screenWidth) * screenHeight, 0);
    screenOpen = true;
    return true;
}

void HeadlessDisplay::invertScreen(int x, int y, int w, int h) {
    if (!screenOpen) return;
    for (int r = std::max(y, 0); r < std::min(y + h, screenHeight); ++r)
        for (int c = std::max(x, 0); c < std::min(x + w, screenWidth); ++c) screen[size_t(r) * screenWidth + c] ^= 0xFFFFFF;
}

void HeadlessDisplay::closeScreen() { screenOpen = false; }

void HeadlessDisplay::resizeWindow(int w, int h) {
    std::vector<uint32_t> next(size_t(std::max(w, 0)) * size_t(std::max(h, 0)), 0);
    for (int r = 0; r < std::min(h, windowHeight); ++r)
        for (int c = 0; c < std::min(w, windowWidth); ++c) next[size_t(r) * w + c] = window[size_t(r) * windowWidth + c];
    window.swap(next);
    windowWidth = w;
    windowHeight = h;
}

bool RecordingPort::open(std::string& whyNot) {
    ++opens;
    if (journal) journal->push_back("open card");
    if (refuseOpen.empty()) return true;
    whyNot = refuseOpen;
    return false;
}

Rect HeadlessWindow::desktopArea() {
    if (desktop.right > desktop.left) return desktop;
    return Window::desktopArea();
}

bool HeadlessWindow::registerClass() {
    log.push_back("registerClass");
    return !failRegister;
}

bool HeadlessWindow::create(int cx, int cy) {
    log.push_back("create");
    if (failCreate) return false;
    exists = true;
    x = cx;
    y = cy;
    width = 540;
    height = 330;
    display_.resizeWindow(width, height);
    if (app) onCreate(*app);
    return true;
}

uint32_t HeadlessWindow::registerMessage(const char* name) {
    log.push_back(std::string("registerMessage ") + name);
    auto it = messages.find(name);
    if (it != messages.end()) return it->second;
    uint32_t id = firstMessageId + uint32_t(messages.size());
    messages[name] = id;
    return id;
}

void HeadlessWindow::show(int) {
    log.push_back("show");
    shown = true;
    if (app && exists) onPaintMessage(*app);
}

int HeadlessWindow::runMessageLoop() {
    log.push_back("runMessageLoop");
    return quitPosted ? quitCode : 0;
}

void HeadlessWindow::setTimer(unsigned id, unsigned periodMs) {
    log.push_back("setTimer " + std::to_string(id) + " " + std::to_string(periodMs));
    timers[id] = periodMs;
}

void HeadlessWindow::killTimer(unsigned id) {
    log.push_back("killTimer " + std::to_string(id));
    timers.erase(id);
}

void HeadlessWindow::place(int px, int py, bool top) {
    x = px;
    y = py;
    topmost = top;
    shown = true;
}

void HeadlessWindow::move(int px, int py, int w, int h, bool) {
    x = px;
    y = py;
    width = w;
    height = h;
    display_.resizeWindow(w, h);
}

// The window's pixels stay in panel pixels; only its place on the screen scales.
Rect HeadlessWindow::screenRect() { return Rect{x, y, x + width * panelScale, y + height * panelScale}; }

void HeadlessWindow::paintNow() {
    if (app && exists) onPaintMessage(*app);
}

void HeadlessWindow::postQuit(int exitCode) {
    log.push_back("postQuit " + std::to_string(exitCode));
    if (!quitPosted) quitCode = exitCode;
    quitPosted = true;
}

void HeadlessWindow::destroy() {
    log.push_back("destroy");
    if (!exists) return;
    exists = false;
    if (app) onDestroy(*app);
}

BoxAnswer HeadlessDialogs::messageBox(const char* text, const char* title, BoxKind kind) {
    boxes.push_back({text, title, kind});
    if (whileOpen) whileOpen();
    if (answers.empty()) return kind == BoxKind::YesNoCancel ? BoxAnswer::Cancel : BoxAnswer::Ok;
    BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
}

namespace {
std::string freshSettingsPath() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/orvanta-settings-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = mkstemp(buf.data());
    if (fd >= 0) ::close(fd);
    std::remove(buf.data());  // start without a settings file
    return std::string(buf.data());
}
}  // namespace

Headless::Headless(const std::string& settingsPath)
    : profile(new ProfileStore(settingsPath.empty() ? freshSettingsPath() : settingsPath)),
      platform{port, clock, *profile, files, display, window, dialogs},
      ownsSettings_(settingsPath.empty()) {}

Headless::~Headless() {
    if (ownsSettings_) std::remove(profile->path().c_str());
}

}  // namespace orv
