#include "win/application_win.h"

#include "win/message_dialog_win.h"
#include "common/app_error.h"
#include "common/text.h"

namespace corvana::Application {

namespace {
HWND g_main = nullptr;
HACCEL g_accelerators = nullptr;
// Set once the loop has been asked to end: a WM_QUIT taken by ProcessMessages in the middle of a
// command still ends Run afterwards.
bool g_terminated = false;
bool g_busy = false;

bool Dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) {
        g_terminated = true;
        return false;
    }
    if (g_main && (msg.hwnd == g_main || IsChild(g_main, msg.hwnd))) {
        if (g_accelerators && TranslateAcceleratorW(g_main, g_accelerators, &msg)) return true;
        if (IsDialogMessageW(g_main, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}
}  // namespace

void SetMainWindow(HWND hwnd, HACCEL accelerators) {
    g_main = hwnd;
    g_accelerators = accelerators;
}

HWND MainWindow() {
    return g_main;
}

void Run() {
    MSG msg;
    while (!g_terminated) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            g_terminated = true;
            break;
        }
        Dispatch(msg);
    }
}

void ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) Dispatch(msg);
}

void Terminate() {
    g_terminated = true;
    PostQuitMessage(0);
}

void ShowErrorText(std::wstring_view message) {
    HWND owner = GetActiveWindow();
    ShowMessage(ErrorBoxText(message), MessageKind::Error, kTitle, owner);
}

std::wstring ExceptionText(const std::exception& e) {
    if (const auto* app = dynamic_cast<const AppError*>(&e)) return app->Message();
    const auto text = DecodeUtf8(e.what());
    return text ? *text : L"Unknown failure";
}

void ShowException(const std::exception& e) {
    ShowErrorText(ExceptionText(e));
}

void SetBusyCursor(bool busy) {
    g_busy = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

bool IsBusyCursor() {
    return g_busy;
}

}  // namespace corvana::Application
