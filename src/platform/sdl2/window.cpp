// The panel window on SDL2: creation, placement, timers, pointer and the
// message loop that hands SDL events to the core, one short case per event.
#include "platform/sdl2/backend.h"

#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "audio/gain.h"
#include "shell/remote_requests.h"
#include "shell/window_proc.h"
#include "shell/window_scale.h"
#include "tuner/tuner.h"

extern const int orvantaIconSize;
extern const uint32_t orvantaIconArgb[];

namespace orv::sdl2 {

namespace {

const char windowTitle[] = "Orvanta";
constexpr int createWidth = 540, createHeight = 330;
constexpr uint32_t firstMessageId = 0xC000;  // where registered message identifiers start
constexpr int remoteInFlightMax = 8;          // remote commands waiting for the main thread
// A question waits at most this long for the commands asked before it (a
// retune takes the card a few hundred milliseconds); with none pending it is answered at once.
constexpr int statusWaitMs = 1500;
constexpr double hertzPerMegahertz = 1e6;
constexpr int statusRefreshMs = 250;          // the card's part of the status (station, level) is looked at this often
constexpr int longestWaitMs = INT_MAX;
// While a drag runs the pointer is looked at this often even without motion
// events: X sends none when the window, following the pointer, keeps the
// pointer at the same place in the window, and SDL drops such repeats.
constexpr int dragPollMs = 10;
constexpr unsigned sessionEndGraceSeconds = 3;  // then the process ends even if the panel is stuck in a box

// Log-off and shut-down end a session's programs with SIGTERM (SIGHUP when
// the terminal goes, SIGINT for Ctrl-C): they are taken by one thread.
sigset_t sessionEndSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    return set;
}

// Kills the program's own child processes: SDL shows a message box in a
// child of its own, which would otherwise outlive the panel and keep its
// connection to the display (and so the panel's window) open.
void killOwnChildren() {
    const long self = long(getpid());
    DIR* proc = opendir("/proc");
    if (!proc) return;
    while (const dirent* entry = readdir(proc)) {
        const long pid = std::strtol(entry->d_name, nullptr, 10);
        if (pid <= 0) continue;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
        std::FILE* f = std::fopen(path, "r");
        if (!f) continue;
        char line[512] = {};
        const size_t n = std::fread(line, 1, sizeof line - 1, f);
        std::fclose(f);
        const char* end = n ? std::strrchr(line, ')') : nullptr;  // the name may hold anything
        long parent = 0;
        if (end && std::sscanf(end + 1, " %*c %ld", &parent) == 1 && parent == self) kill(pid_t(pid), SIGKILL);
    }
    closedir(proc);
}

bool due(uint32_t now, uint32_t at) { return int32_t(now - at) >= 0; }

// SDL drivers that show no window: SDL falls back to them when no display
// answers, and the panel would then run on, unseen, for good. They are used
// only where SDL_VIDEODRIVER names them.
const char* const windowlessDrivers[] = {"offscreen", "dummy", "evdev"};
// The desktop's own drivers and the variable that names each one's display:
// where a display is named, only the drivers of named displays are tried.
struct DesktopDriver {
    const char* name;
    const char* displayVariable;
};
const DesktopDriver desktopDrivers[] = {{"x11", "DISPLAY"}, {"wayland", "WAYLAND_DISPLAY"}};
// A display server may drop a new connection at once (Xvfb does when it
// arrives while another client's disconnect is being handled): the
// connection is made again a few times before the program gives up.
constexpr int videoAttempts = 5;
constexpr Uint32 videoRetryMs = 100;

bool named(const char* name, const char* const* list, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (SDL_strcasecmp(name, list[i]) == 0) return true;
    return false;
}

// The display variable of a desktop driver whose display is named, else null.
const char* namedDisplay(const char* driver) {
    for (const DesktopDriver& d : desktopDrivers) {
        const char* value = SDL_getenv(d.displayVariable);
        if (SDL_strcasecmp(driver, d.name) == 0 && value && *value) return d.displayVariable;
    }
    return nullptr;
}

// SDL's video drivers that may show the panel, in SDL's order of preference.
std::vector<std::string> videoDriversToTry() {
    bool displayNamed = false;
    for (const DesktopDriver& d : desktopDrivers) displayNamed = displayNamed || namedDisplay(d.name);
    std::vector<std::string> names;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const char* name = SDL_GetVideoDriver(i);
        if (!name || named(name, windowlessDrivers, std::size(windowlessDrivers))) continue;
        if (displayNamed && !namedDisplay(name)) continue;
        names.push_back(name);
    }
    return names;
}

SystemClock& monotonic() {
    static SystemClock clock;
    return clock;
}

// Where the pointer is on the screen now. On X11 the server is asked (SDL's
// own answer is cached and goes stale while nothing but motion happens).
Point pointerOnScreen(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        ::Display* display = info.info.x11.display;
        ::Window root = 0, child = 0;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        unsigned mask = 0;
        if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX, &winY, &mask))
            return Point{rootX, rootY};
    }
#endif
    int gx = 0, gy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    return Point{gx, gy};
}

// What the X server tells of the desktop's scale: its resource database
// (RESOURCE_MANAGER, as xrdb -query shows it) and the vertical DPI of the
// default screen from its size in millimetres (as xdpyinfo shows it).
struct XDesktop {
    std::string resources;
    double dpi = 0;
};

constexpr double millimetresPerInch = 25.4;

// Asked on a connection of its own: the panel's window does not exist yet.
// Empty where X11 is not the driver or the server does not answer.
XDesktop askXServer() {
    XDesktop desktop;
#if defined(SDL_VIDEO_DRIVER_X11)
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || SDL_strcasecmp(driver, "x11") != 0) return desktop;
    ::Display* display = nullptr;
    for (int attempt = 0; attempt < videoAttempts && !display; ++attempt) {
        if (attempt > 0) SDL_Delay(videoRetryMs);
        display = XOpenDisplay(nullptr);
    }
    if (!display) return desktop;
    if (const char* resources = XResourceManagerString(display)) desktop.resources = resources;
    const int screen = DefaultScreen(display);
    const int millimetres = DisplayHeightMM(display, screen);
    if (millimetres > 0) desktop.dpi = DisplayHeight(display, screen) * millimetresPerInch / millimetres;
    XCloseDisplay(display);
#endif
    return desktop;
}

void setIcon(SDL_Window* window) {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(orvantaIconArgb), orvantaIconSize, orvantaIconSize, 32,
        orvantaIconSize * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

}  // namespace

SdlWindow::~SdlWindow() {
    remote_.stop();
    if (window_) SDL_DestroyWindow(window_);
    if (arrow_) SDL_FreeCursor(arrow_);
}

bool SdlWindow::registerClass() {
    if (remoteEvent_ != 0) return true;  // a panel shown again: all is set up
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");          // Ctrl-C and kill end the program, as on Windows
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");   // the first click on the panel counts
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");   // the window's pixels go out as they are
    // Blocked before any thread starts, so that only the watcher takes them.
    const sigset_t signals = sessionEndSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    if (SDL_Init(SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "orvanta: %s\n", SDL_GetError());
        return false;
    }
    std::string whyNot;
    if (!startVideo(whyNot)) {
        std::fprintf(stderr, "orvanta: no display to show the panel on: %s\n", whyNot.c_str());
        noDisplay_ = true;
        return false;
    }
    remoteEvent_ = SDL_RegisterEvents(2);
    if (remoteEvent_ == Uint32(-1)) return false;
    sessionEndEvent_ = remoteEvent_ + 1;
    watchSessionEnd();
    return true;
}

// Starts SDL's video on a driver that shows windows (or the one
// SDL_VIDEODRIVER names). False, with SDL's reason, when no display answers.
bool SdlWindow::startVideo(std::string& whyNot) {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked && *asked) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
        whyNot = SDL_GetError();
        return false;
    }
    const std::vector<std::string> drivers = videoDriversToTry();
    whyNot = "no video driver of SDL's shows windows here";
    for (int attempt = 0; attempt < videoAttempts && !drivers.empty(); ++attempt) {
        if (attempt > 0) SDL_Delay(videoRetryMs);
        for (const std::string& name : drivers) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, name.c_str());
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
            whyNot = SDL_GetError();
            if (const char* variable = namedDisplay(name.c_str()))
                whyNot = name + " display " + variable + "=" + SDL_getenv(variable) + " does not answer";
        }
    }
    return false;
}

// SDL's DPI where the X server tells none (another driver, or no size in millimetres).
int SdlWindow::desktopScale() {
    XDesktop desktop = askXServer();
    float diagonal = 0, horizontal = 0, vertical = 0;
    if (desktop.dpi <= 0 && SDL_GetDisplayDPI(0, &diagonal, &horizontal, &vertical) == 0) desktop.dpi = vertical;
    return desktopScaleOf(desktop.resources.c_str(), desktop.dpi);
}

void SdlWindow::setScale(int scale) {
    scale_ = std::clamp(scale, smallestScale, largestScale);
    display_.setScale(scale_);
}

bool SdlWindow::create(int x, int y) {
    window_ = SDL_CreateWindow(windowTitle, x, y, createWidth * scale_, createHeight * scale_,
                               SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!window_) {
        std::fprintf(stderr, "orvanta: %s\n", SDL_GetError());
        return false;
    }
    x_ = x, y_ = y, w_ = createWidth, h_ = createHeight;
    setIcon(window_);
    SDL_StopTextInput();
    display_.attach(window_);
    display_.resizeClient(w_, h_);
    if (app) onCreate(*app);
    return true;
}

std::string SdlWindow::modulePath() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return "";
    return dataFilePath(std::string(buffer.data(), size_t(n)));
}

int SdlWindow::screenWidth() {
    SDL_Rect r{};
    return SDL_GetDisplayBounds(0, &r) == 0 ? r.w : 0;
}

int SdlWindow::screenHeight() {
    SDL_Rect r{};
    return SDL_GetDisplayBounds(0, &r) == 0 ? r.h : 0;
}

uint32_t SdlWindow::registerMessage(const char* name) {
    auto it = messages_.find(name);
    if (it != messages_.end()) return it->second;
    const uint32_t id = firstMessageId + uint32_t(messages_.size());
    messages_[name] = id;
    return id;
}

void SdlWindow::show(int) {
    if (!window_) return;
    SDL_ShowWindow(window_);
    if (app) onPaintMessage(*app);
}

void SdlWindow::setTimer(unsigned id, unsigned periodMs) {
    if (!window_) return;
    timers_[id] = Timer{periodMs, monotonic().tickCount() + periodMs};
}

void SdlWindow::killTimer(unsigned id) { timers_.erase(id); }

void SdlWindow::place(int x, int y, bool topmost) {
    if (!window_) return;
    if (x != x_ || y != y_) SDL_SetWindowPosition(window_, x, y);
    x_ = x, y_ = y;
    if (topmost != topmost_) SDL_SetWindowAlwaysOnTop(window_, topmost ? SDL_TRUE : SDL_FALSE);
    topmost_ = topmost;
    if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN)) SDL_ShowWindow(window_);
}

// The client pixels that stay inside the window keep their look; a repaint
// shows the window's pixels again (the core draws what a move uncovers).
void SdlWindow::move(int x, int y, int w, int h, bool) {
    if (!window_) return;
    display_.resizeClient(w, h);
    if (w != w_ || h != h_) SDL_SetWindowSize(window_, w * scale_, h * scale_);
    if (x != x_ || y != y_) SDL_SetWindowPosition(window_, x, y);
    x_ = x, y_ = y, w_ = w, h_ = h;
    display_.presentAll();
}

Rect SdlWindow::screenRect() {
    if (!window_) return Rect{};
    return Rect{x_, y_, x_ + w_ * scale_, y_ + h_ * scale_};
}

// While the drag moves the window, positions stay relative to where it began.
Point SdlWindow::cursorClientPos() {
    const Point p = pointerOnScreen(window_);
    const Point origin = display_.screenOpen() ? dragAnchor_ : Point{x_, y_};
    return Point{toPanel(p.x - origin.x, scale_), toPanel(p.y - origin.y, scale_)};
}

void SdlWindow::setArrowCursor() {
    if (!arrow_) arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (arrow_) SDL_SetCursor(arrow_);
}

void SdlWindow::captureMouse() {
    dragAnchor_ = Point{x_, y_};
    polledPointer_ = Point{INT32_MIN, INT32_MIN};
    SDL_CaptureMouse(SDL_TRUE);
}

void SdlWindow::releaseMouse() { SDL_CaptureMouse(SDL_FALSE); }

void SdlWindow::setTitle(const char* title) {
    if (window_) SDL_SetWindowTitle(window_, title);
}

void SdlWindow::minimize() {
    if (window_) SDL_MinimizeWindow(window_);
}

void SdlWindow::beginPaint() {
    if (paintDepth_++ == 0) paintPending_ = false;
    display_.beginWindowDraw();
}

void SdlWindow::endPaint() {
    if (paintDepth_ == 0) return;
    --paintDepth_;
    display_.endWindowDraw();
}

void SdlWindow::paintNow() {
    if (window_ && app) onPaintMessage(*app);
}

void SdlWindow::postQuit(int exitCode) {
    if (!quitPosted_) quitCode_ = exitCode;
    quitPosted_ = true;
}

void SdlWindow::destroy() {
    if (!window_) return;
    remote_.stop();
    display_.attach(nullptr);
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    timers_.clear();
    if (app) onDestroy(*app);
}

void SdlWindow::afterModalBox() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    if (window_) paintPending_ = true;
}

// The remote thread hands its commands over as SDL events; at most a few
// wait at a time, so a flood of clients cannot keep the panel busy.
bool SdlWindow::deliver(const remote::Command& c) {
    if (remoteInFlight_.fetch_add(1) >= remoteInFlightMax) {
        --remoteInFlight_;
        return false;
    }
    board_.commandSent();
    SDL_Event e{};
    e.type = remoteEvent_;
    e.user.code = int(c.kind);
    e.user.data1 = reinterpret_cast<void*>(uintptr_t(c.value));
    if (SDL_PushEvent(&e) != 1) {
        --remoteInFlight_;
        board_.commandDropped();
        return false;
    }
    return true;
}

std::string SdlWindow::answerRemote(const remote::Command& c) {
    if (c.kind == remote::Kind::AskStatus) {
        // Answered here, from what the main thread published after the commands before it.
        board_.waitHandled(board_.lastSent(), statusWaitMs);
        const PanelStatus status = board_.read();
        return c.value ? statusJson(status) : statusLines(status);
    }
    if (c.kind == remote::Kind::Tune) {
        const PanelStatus status = board_.read();
        const double mhz = double(c.value) / hertzPerMegahertz;
        if (!insideBand(status.lowestMHz, mhz)) {
            char why[128];
            std::snprintf(why, sizeof why, "error: %.6g MHz is outside the band, %.6g to %.6g MHz\n", mhz,
                          status.lowestMHz, status.highestMHz);
            return why;
        }
        return deliver(c) ? remote::answerOk : "error: the panel is busy\n";
    }
    deliver(c);
    return "";
}

void SdlWindow::startRemote() {
    const std::string path = remote::chooseSocketPath(SDL_getenv("XDG_RUNTIME_DIR"), unsigned(getuid()), true);
    remote_.start(path, [this](const remote::Command& c) { return answerRemote(c); });
}

// The signal becomes an event for the main thread, which saves what closing
// saves and ends; a panel that cannot get to it (a box is open) ends anyway.
void SdlWindow::watchSessionEnd() {
    const uint32_t type = sessionEndEvent_;
    std::thread([type] {
        const sigset_t signals = sessionEndSignals();
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) return;
        SDL_Event e{};
        e.type = type;
        SDL_PushEvent(&e);
        sleep(sessionEndGraceSeconds);
        killOwnChildren();
        _exit(128 + signal);
    }).detach();
}

void SdlWindow::dispatchRemote(const SDL_UserEvent& e) {
    --remoteInFlight_;
    if (app && e.code >= 0 && e.code < remote::kindCount)
        doRemote(remote::Kind(e.code), uint32_t(reinterpret_cast<uintptr_t>(e.data1)));
    publishStatus();
    board_.commandHandled();
}

void SdlWindow::doRemote(remote::Kind kind, uint32_t value) {
    using remote::Kind;
    if (kind == Kind::Quit) {  // as the end of the session
        endRequested_ = true;
        onEndSession(*app);
        postQuit(0);
        return;
    }
    if (kind == Kind::Show) {
        if (windowless_) showRequested_ = true;
        else restoreAndRaise();
        return;
    }
    if (windowless_) return playWindowless(kind, value);
    switch (kind) {
    case Kind::Tune: tuneToFrequency(*app, double(value) / hertzPerMegahertz); return;
    case Kind::Seek: seekFrom(*app, value == 0 ? +1 : -1); return;
    case Kind::PresetStep: stepPreset(*app, value == 0 ? +1 : -1); return;
    case Kind::ToggleMute: setMuted(*app, !(app->state.modeFlags & MF_MUTED)); return;
    case Kind::SetMute: setMuted(*app, value != 0); return;
    case Kind::SetLevel: setLevel(int(value) - remote::levelOffset); return;
    default: break;
    }
    auto it = messages_.find(remote::messageName(kind));
    if (it == messages_.end() || it->second == 0) return;  // not registered (yet): no message of ours
    onRegisteredMessage(*app, it->second, value);
}

// The nearest 2 dB step to levelDb, reached by the volume pulses the panel's
// own volume keys send; nothing where the card has no level of ours.
void SdlWindow::setLevel(int levelDb) {
    PanelStatus status = panelStatus(*app);
    if (addCardStatus) addCardStatus(status);
    if (!status.levelKnown) return;
    const int wanted = audio::clampedLevel(levelDb);
    for (long steps = std::lround(double(wanted - status.levelDb) / audio::levelStepDb); steps != 0;
         steps += steps > 0 ? -1 : +1)
        stepVolume(*app, steps > 0 ? volumeUp : volumeDown);
}

// A minimised panel comes back, and the panel comes to the front.
void SdlWindow::restoreAndRaise() {
    if (!window_) return;
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
}

void SdlWindow::publishStatus() {
    if (!app) return;
    PanelStatus status = panelStatus(*app);
    if (addCardStatus) addCardStatus(status);
    for (const std::string& line : stationNews(lastStation_, status.station))
        std::fprintf(stderr, "orvanta: %s\n", line.c_str());
    lastStation_ = status.station;
    board_.publish(status);
}

// The window follows the drag; the core knows where the frame is.
void SdlWindow::followDrag() {
    if (!app || !window_ || !app->state.dragging || !display_.screenOpen()) return;
    const Rect& frame = app->state.dragFrame;
    if (frame.left != x_ || frame.top != y_) {
        SDL_SetWindowPosition(window_, frame.left, frame.top);
        x_ = frame.left, y_ = frame.top;
    }
}

bool SdlWindow::dragRunning() const { return app && window_ && app->state.dragging && display_.screenOpen(); }

// A motion the system did not report: the drag goes on from where the pointer is.
void SdlWindow::pollDrag() {
    if (!dragRunning()) return;
    const Point p = cursorClientPos();
    if (p.x == polledPointer_.x && p.y == polledPointer_.y) return;
    polledPointer_ = p;
    onMouseMove(*app, true, p.x, p.y);
    followDrag();
}

void SdlWindow::dispatchWindowEvent(const SDL_WindowEvent& e) {
    switch (e.event) {
    case SDL_WINDOWEVENT_EXPOSED: display_.presentAll(); break;
    case SDL_WINDOWEVENT_CLOSE: onClose(*app); break;
    // The pointer can no longer be held: a drag ends where it is.
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN: onCaptureLost(*app); break;
    case SDL_WINDOWEVENT_MOVED:
        if (!display_.screenOpen()) x_ = e.data1, y_ = e.data2;  // the window manager moved it
        break;
    default: break;
    }
}

void SdlWindow::dispatch(const SDL_Event& e) {
    if (!app) return;
    if (e.type == remoteEvent_) return dispatchRemote(e.user);
    if (e.type == sessionEndEvent_) {
        endRequested_ = true;
        onEndSession(*app);
        postQuit(0);
        return;
    }
    switch (e.type) {
    case SDL_WINDOWEVENT:
        if (window_ && e.window.windowID == SDL_GetWindowID(window_)) dispatchWindowEvent(e.window);
        break;
    case SDL_KEYDOWN: {
        MediaKey media;
        if (mediaKeyFor(e.key.keysym.sym, media))
            handleMediaKey(*app, media);
        else if (unsigned code = virtualKeyFor(e.key.keysym.scancode, e.key.keysym.sym))
            onKeyDown(*app, code);
        break;
    }
    case SDL_KEYUP: onKeyUp(*app); break;
    case SDL_MOUSEMOTION: {
        const bool onlyLeft = e.motion.state == SDL_BUTTON_LMASK && !(SDL_GetModState() & (KMOD_SHIFT | KMOD_CTRL));
        onMouseMove(*app, onlyLeft, toPanel(e.motion.x, scale_), toPanel(e.motion.y, scale_));
        followDrag();
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        SDL_CaptureMouse(SDL_TRUE);  // held: the panel keeps the pointer
        onLeftDown(*app, toPanel(e.button.x, scale_), toPanel(e.button.y, scale_));
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        onLeftUp(*app);
        SDL_CaptureMouse(SDL_FALSE);
        break;
    default: break;
    }
}

bool SdlWindow::fireDueTimer() {
    const uint32_t now = monotonic().tickCount();
    for (auto& [id, timer] : timers_) {
        if (!due(now, timer.due)) continue;
        timer.due = now + timer.period;
        const unsigned fired = id;
        onTimer(*app, fired);  // may start or stop timers: the loop looks again
        return true;
    }
    return false;
}

int SdlWindow::msUntilNextTimer() {
    if (timers_.empty()) return longestWaitMs;
    const uint32_t now = monotonic().tickCount();
    int64_t soonest = INT64_MAX;
    for (const auto& entry : timers_) soonest = std::min<int64_t>(soonest, int32_t(entry.second.due - now));
    return soonest < 0 ? 0 : int(std::min<int64_t>(soonest, longestWaitMs));
}

// Input and remote commands first, then a pending paint, then the timers,
// as the system's message queue orders them.
int SdlWindow::runMessageLoop() {
    if (!app) return 0;
    if (!quitPosted_) startRemote();
    SDL_Event e;
    publishStatus();
    while (!quitPosted_) {
        if (SDL_PollEvent(&e)) {
            dispatch(e);
        } else if (paintPending_ && window_) {
            onPaintMessage(*app);
            paintPending_ = false;
        } else if (!fireDueTimer()) {
            const int wait = std::min(msUntilNextTimer(), dragRunning() ? dragPollMs : statusRefreshMs);
            if (SDL_WaitEventTimeout(&e, wait))
                dispatch(e);
            else
                pollDrag();
        }
        publishStatus();
    }
    remote_.stop();
    return quitCode_;
}

// Without a panel the remote reaches the card through the tuner's own
// operations; the panel shown again starts from the saved settings.
void SdlWindow::playWindowless(remote::Kind kind, uint32_t value) {
    ReceiverState& s = app->state;
    switch (kind) {
    case remote::Kind::PresetStep: {
        const int step = value == 0 ? +1 : -1;
        return playWindowless(remote::Kind::SetStation, uint32_t((s.presetIndex - 1 + step + presetCount) % presetCount + 1));
    }
    case remote::Kind::SetStation:
        if (value < 1 || value > uint32_t(presetCount)) return;
        s.presetIndex = int32_t(value);
        s.frequency = s.presetTable[value - 1];
        tuneFrequency(*app, s.frequency, s.modeFlags);
        break;
    case remote::Kind::Tune: {
        const double mhz = double(value) / hertzPerMegahertz;
        if (!insideBand(s.minFrequency, mhz)) return;
        s.frequency = float(onTuningGrid(s.minFrequency, mhz));
        tuneFrequency(*app, s.frequency, s.modeFlags);
        break;
    }
    case remote::Kind::SetVolume: stepVolume(*app, value == 0 ? volumeUp : volumeDown); break;
    case remote::Kind::ToggleMute: return playWindowless(remote::Kind::Mute, (s.modeFlags & MF_MUTED) ? 0 : 1);
    case remote::Kind::SetMute: return playWindowless(remote::Kind::Mute, value);
    case remote::Kind::Mute:
        if (value)
            s.modeFlags |= MF_MUTED;
        else
            s.modeFlags &= ~MF_MUTED;
        tuneFrequency(*app, s.frequency, s.modeFlags);
        break;
    case remote::Kind::SetLevel: setLevel(int(value) - remote::levelOffset); break;
    default: break;  // a seek needs the panel's clock
    }
}

bool SdlWindow::runWindowless() {
    if (!app || endRequested_) return false;
    windowless_ = true;
    showRequested_ = false;
    quitPosted_ = false;
    startRemote();
    SDL_Event e;
    publishStatus();
    while (!quitPosted_ && !showRequested_) {
        if (SDL_WaitEventTimeout(&e, statusRefreshMs)) dispatch(e);
        publishStatus();
    }
    remote_.stop();
    windowless_ = false;
    quitPosted_ = false;
    return showRequested_ && !endRequested_;
}

}  // namespace orv::sdl2
