// Program entry and the window procedure: messages are decoded here and
// handed to the core, one short case per message.
#include "platform/win32/backend.h"

#include "panel/media_keys.h"
#include "shell/panel_status.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "shell/window_scale.h"

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
    session().window = &window;
    orv::win32::MessageDialogs dialogs;
    orv::win32::CardPort port(profile);  // opened by the core once the window exists
    session().card = &port;
    orv::Platform platform{port, clock, profile, files, display, window, dialogs};
    orv::App app(platform);
    session().app = &app;
    int exitCode = orv::runPanel(app, showCommand);
    session().app = nullptr;  // whatever arrives after the loop goes to default processing
    session().card = nullptr;
    session().window = nullptr;
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

// "TQ_STATUS": one number of the panel's status per question, wParam
// choosing which (orvanta_remote status): the frequency as the readout shows
// it in kHz, the preset number, muted and signal (1 or 0), the style (0 full,
// 1 compact, 2 mini). -1 for a question it does not know.
enum StatusQuestion { AskFrequency = 0, AskPreset = 1, AskMuted = 2, AskSignal = 3, AskStyle = 4 };

static LRESULT panelStatusNumber(const orv::App& app, WPARAM question) {
    const orv::PanelStatus status = orv::panelStatus(app);
    switch (question) {
    case AskFrequency: return LRESULT(status.frequencyKHz);
    case AskPreset: return status.preset;
    case AskMuted: return status.muted ? 1 : 0;
    case AskSignal: return status.signal ? 1 : 0;
    case AskStyle: return status.style;
    default: return -1;
    }
}

// The media keys, where the system sends them as WM_APPCOMMAND.
#ifndef WM_APPCOMMAND
#define WM_APPCOMMAND 0x0319
#endif
struct AppCommandKey {
    int command;  // APPCOMMAND_*
    orv::MediaKey key;
};
static const AppCommandKey appCommandKeys[] = {
    {8, orv::MediaKey::VolumeMute},      // APPCOMMAND_VOLUME_MUTE
    {9, orv::MediaKey::VolumeDown},      // APPCOMMAND_VOLUME_DOWN
    {10, orv::MediaKey::VolumeUp},       // APPCOMMAND_VOLUME_UP
    {11, orv::MediaKey::NextTrack},      // APPCOMMAND_MEDIA_NEXTTRACK
    {12, orv::MediaKey::PreviousTrack},  // APPCOMMAND_MEDIA_PREVIOUSTRACK
    {13, orv::MediaKey::Stop},           // APPCOMMAND_MEDIA_STOP
    {14, orv::MediaKey::PlayPause},      // APPCOMMAND_MEDIA_PLAY_PAUSE
    {46, orv::MediaKey::Play},           // APPCOMMAND_MEDIA_PLAY
    {47, orv::MediaKey::Pause},          // APPCOMMAND_MEDIA_PAUSE
};
constexpr int appCommandMask = 0xF000;  // the device bits above the command in HIWORD(lParam)

// The virtual keys of the media and volume keys (VK_VOLUME_MUTE .. VK_MEDIA_PLAY_PAUSE).
static bool isMediaVirtualKey(WPARAM key) {
    return key >= 0xAD && key <= 0xB3;
}

// True when the command was a media key the panel took.
static bool onAppCommand(orv::App& app, LPARAM lParam) {
    const int command = HIWORD(lParam) & ~appCommandMask;
    for (const AppCommandKey& k : appCommandKeys) {
        if (k.command != command) continue;
        orv::handleMediaKey(app, k.key);
        return true;
    }
    return false;
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
    static const UINT statusMessage = RegisterWindowMessageA("TQ_STATUS");
    if (message == statusMessage && message != 0) return panelStatusNumber(app, wParam);
    // Client coordinates in panel pixels; signed, as a captured pointer may be left of or above the window.
    const int scale = s.window ? s.window->scale() : 1;
    const int x = orv::toPanel(short(LOWORD(lParam)), scale), y = orv::toPanel(short(HIWORD(lParam)), scale);
    switch (message) {
    case WM_CREATE: orv::onCreate(app); return 0;
    case WM_DESTROY: orv::onDestroy(app); return 0;
    case WM_NCDESTROY: s.hwnd = nullptr; break;
    case WM_PAINT: if (!orv::onPaintMessage(app)) break; return 0;
    case WM_CLOSE: orv::onClose(app); return 0;
    case WM_KEYDOWN:
        if (isMediaVirtualKey(wParam)) break;  // the system makes a WM_APPCOMMAND of it
        orv::onKeyDown(app, LOWORD(wParam));
        return 0;
    case WM_KEYUP:
        if (isMediaVirtualKey(wParam)) break;
        orv::onKeyUp(app);
        return 0;
    case WM_TIMER: orv::onTimer(app, LOWORD(wParam)); return 0;
    case WM_MOUSEMOVE: orv::onMouseMove(app, wParam == MK_LBUTTON, x, y); return 0;
    case WM_LBUTTONDOWN: orv::onLeftDown(app, x, y); return 0;
    case WM_LBUTTONUP: orv::onLeftUp(app); return 0;
    case WM_CAPTURECHANGED: orv::onCaptureLost(app); return 0;
    case WM_CANCELMODE: orv::onCaptureLost(app); break;  // default processing releases the capture
    case WM_ENDSESSION: if (wParam) orv::onEndSession(app); return 0;
    case WM_PALETTECHANGED: orv::onPaletteChanged(app, HWND(wParam) != hwnd); return 0;
    case WM_APPCOMMAND: if (!onAppCommand(app, lParam)) break; return TRUE;
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
