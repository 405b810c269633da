// The panel window on USER32: class, creation, message loop, timers,
// placement, pointer and painting. Once the window is gone every call that
// needs it does nothing (a null window would mean the desktop or the thread).
#include "platform/win32/backend.h"

#include <algorithm>
#include <vector>

#include "shell/window_scale.h"

namespace orv::win32 {

namespace {

const char className[] = "OrvantaWClass";
const char windowTitle[] = "Orvanta";
const int createWidth = 540, createHeight = 330;

HWND panel() {
    return session().hwnd;
}

}  // namespace

bool PanelWindow::registerClass() {
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = session().instance;
    wc.hIcon = LoadIconA(session().instance, MAKEINTRESOURCEA(1));
    wc.hCursor = nullptr;
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = windowTitle;
    wc.lpszClassName = className;
    return RegisterClassA(&wc) != 0;
}

int PanelWindow::desktopScale() {
    HDC screen = GetDC(nullptr);
    if (!screen) return smallestScale;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return scaleOfDpi(dpi);
}

void PanelWindow::setScale(int scale) {
    scale_ = std::clamp(scale, smallestScale, largestScale);
    display_.setScale(scale_);
}

bool PanelWindow::create(int x, int y) {
    HWND hwnd = CreateWindowExA(0, className, windowTitle, WS_POPUP, x, y, createWidth * scale_,
                                createHeight * scale_, nullptr, nullptr, session().instance, nullptr);
    return hwnd != nullptr;
}

// The virtual screen of all monitors; systems without it (Windows 95, NT 4)
// answer 0 and the primary screen serves.
Rect PanelWindow::desktopArea() {
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0) return Rect{0, 0, screenWidth(), screenHeight()};
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Rect{x, y, x + w, y + h};
}

std::string PanelWindow::modulePath() {
    // The whole path, however long: the core's bounded buffers decide what fits.
    std::vector<char> buffer(128);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return "";
        if (n < buffer.size() - 1) return std::string(buffer.data(), n);
        if (buffer.size() >= 32768) return "";
        buffer.resize(buffer.size() * 2);
    }
}

void PanelWindow::show(int showCommand) {
    if (!panel()) return;
    ShowWindow(panel(), showCommand);
    UpdateWindow(panel());
}

int PanelWindow::runMessageLoop() {
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return int(msg.wParam);
}

void PanelWindow::setTimer(unsigned id, unsigned periodMs) {
    if (panel()) SetTimer(panel(), id, periodMs, nullptr);
}

void PanelWindow::killTimer(unsigned id) {
    if (panel()) KillTimer(panel(), id);
}

void PanelWindow::place(int x, int y, bool topmost) {
    if (!panel()) return;
    SetWindowPos(panel(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, x, y, 0, 0,
                 SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

// The client pixels that stay inside the window keep their look across a
// resize, as the panel's animations expect (the system keeps them; a window
// surface that is rebuilt on resize, as under Wine, would lose them).
void PanelWindow::move(int x, int y, int w, int h, bool repaint) {
    HWND hwnd = panel();
    if (!hwnd) return;
    w *= scale_;
    h *= scale_;
    RECT client{};
    GetClientRect(hwnd, &client);
    const int keptW = std::min<int>(client.right, w), keptH = std::min<int>(client.bottom, h);
    HDC windowDC = GetDC(hwnd);
    HDC saved = CreateCompatibleDC(windowDC);
    HBITMAP bits = keptW > 0 && keptH > 0 ? CreateCompatibleBitmap(windowDC, keptW, keptH) : nullptr;
    HGDIOBJ previous = bits ? SelectObject(saved, bits) : nullptr;
    if (bits) BitBlt(saved, 0, 0, keptW, keptH, windowDC, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, windowDC);
    MoveWindow(hwnd, x, y, w, h, repaint ? TRUE : FALSE);
    if (bits) {
        windowDC = GetDC(hwnd);
        BitBlt(windowDC, 0, 0, keptW, keptH, saved, 0, 0, SRCCOPY);
        ReleaseDC(hwnd, windowDC);
        SelectObject(saved, previous);
        DeleteObject(bits);
    }
    DeleteDC(saved);
}

Rect PanelWindow::screenRect() {
    RECT r{};
    if (panel()) GetWindowRect(panel(), &r);
    return Rect{int32_t(r.left), int32_t(r.top), int32_t(r.right), int32_t(r.bottom)};
}

Point PanelWindow::cursorClientPos() {
    POINT p{};
    GetCursorPos(&p);
    if (panel()) ScreenToClient(panel(), &p);
    return Point{toPanel(int(p.x), scale_), toPanel(int(p.y), scale_)};
}

void PanelWindow::captureMouse() {
    if (panel()) SetCapture(panel());
}

void PanelWindow::setTitle(const char* title) {
    if (panel()) SetWindowTextA(panel(), title);
}

void PanelWindow::minimize() {
    if (panel()) ShowWindow(panel(), SW_MINIMIZE);
}

void PanelWindow::invalidate() {
    if (panel()) InvalidateRect(panel(), nullptr, TRUE);
}

// Drawing goes through the window's own context (GetDC), not the clipped one
// of BeginPaint, so that a paint sent outside WM_PAINT still draws.
// A paint nested in another (a paint message sent while painting) shares the
// outer BeginPaint.
void PanelWindow::beginPaint() {
    if (paintDepth_++ == 0 && panel()) BeginPaint(panel(), &paint_);
    display_.beginWindowDraw();
}

void PanelWindow::endPaint() {
    if (paintDepth_ == 0) return;
    display_.endWindowDraw();
    if (--paintDepth_ == 0 && panel()) EndPaint(panel(), &paint_);
}

void PanelWindow::paintNow() {
    if (panel()) SendMessageA(panel(), WM_PAINT, 0, 0);
}

void PanelWindow::destroy() {
    if (panel()) DestroyWindow(panel());
}

}  // namespace orv::win32
