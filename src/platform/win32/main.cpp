// Program entry and the window procedure: messages are decoded here and
// handed to the core, one short case per message.
#include "platform/win32/backend.h"

#include "shell/startup.h"
#include "shell/window_proc.h"

namespace orv::win32 {

Session& session() {
    static Session s;
    return s;
}

}  // namespace orv::win32

using orv::win32::session;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    session().instance = instance;
    orv::win32::SystemClock clock;
    orv::win32::IniProfile profile;
    orv::win32::FileReader files;
    orv::win32::GdiDisplay display;
    orv::win32::PanelWindow window(display);
    orv::win32::MessageDialogs dialogs;
    orv::win32::CardPort port(profile);  // opened by the core once the window exists
    session().card = &port;
    orv::Platform platform{port, clock, profile, files, display, window, dialogs};
    orv::App app(platform);
    session().app = &app;
    int exitCode = orv::runPanel(app, showCommand);
    session().app = nullptr;  // whatever arrives after the loop goes to default processing
    session().card = nullptr;
    return exitCode;
}

// Registered messages live in 0xC000..0xFFFF; nothing else is offered to the
// core as one of its three remote-control messages.
static bool isRegisteredMessage(UINT message) {
    return message >= 0xC000 && message <= 0xFFFF;
}

// "TQ_CARD": which card answers (orvanta_remote status). The reply is the
// card's kind (1 simulated, 2 the port directly, 3 the port through the
// driver library); the core does not know which card it drives.
static LRESULT cardStatus() {
    const orv::win32::CardPort* card = session().card;
    return card ? LRESULT(card->kind()) : 0;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    orv::win32::Session& s = session();
    if (!s.hwnd && message != WM_NCDESTROY) s.hwnd = hwnd;  // known before WM_CREATE
    if (!s.app || hwnd != s.hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
    orv::App& app = *s.app;
    if (isRegisteredMessage(message) && orv::onRegisteredMessage(app, message, uint32_t(wParam)))
        return 0;
    static const UINT cardStatusMessage = RegisterWindowMessageA("TQ_CARD");
    if (message == cardStatusMessage && message != 0) return cardStatus();
    const int x = LOWORD(lParam), y = HIWORD(lParam);
    switch (message) {
    case WM_CREATE: orv::onCreate(app); return 0;
    case WM_DESTROY: orv::onDestroy(app); return 0;
    case WM_NCDESTROY: s.hwnd = nullptr; break;
    case WM_PAINT: if (!orv::onPaintMessage(app)) break; return 0;
    case WM_CLOSE: orv::onClose(app); return 0;
    case WM_KEYDOWN: orv::onKeyDown(app, LOWORD(wParam)); return 0;
    case WM_KEYUP: orv::onKeyUp(app); return 0;
    case WM_TIMER: orv::onTimer(app, LOWORD(wParam)); return 0;
    case WM_MOUSEMOVE: orv::onMouseMove(app, wParam == MK_LBUTTON, x, y); return 0;
    case WM_LBUTTONDOWN: orv::onLeftDown(app, x, y); return 0;
    case WM_LBUTTONUP: orv::onLeftUp(app); return 0;
    case WM_CAPTURECHANGED: orv::onCaptureLost(app); return 0;
    case WM_CANCELMODE: orv::onCaptureLost(app); break;  // default processing releases the capture
    case WM_ENDSESSION: if (wParam) orv::onEndSession(app); return 0;
    case WM_PALETTECHANGED: orv::onPaletteChanged(app, HWND(wParam) != hwnd); return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK About(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}
