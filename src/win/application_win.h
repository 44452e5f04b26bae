// The application object: the message loop, letting pending messages run in the middle of a
// command, the end of the program, and the standard box for failures no handler caught.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

namespace corvana::Application {

inline constexpr const wchar_t* kTitle = L"Corvana";

// The window whose accelerators (F1) and dialog keys (Tab) the loop handles.
void SetMainWindow(HWND hwnd, HACCEL accelerators);
HWND MainWindow();

// Runs until Terminate() is called (or WM_QUIT arrives).
void Run();
// Lets every pending window message run, then returns.
void ProcessMessages();
// Asks the loop to end after the current message.
void Terminate();

// The standard error box: the failure's message with the full-stop rule, caption "Corvana".
void ShowException(const std::exception& e);
// The message of a failure, as the standard box would show it before the full-stop rule.
std::wstring ExceptionText(const std::exception& e);
void ShowErrorText(std::wstring_view message);

// Runs a callable; any failure that escapes it is shown in the standard box. Every window
// procedure, thread procedure and callback entry goes through here.
template <typename F>
bool Guarded(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowErrorText(L"Unknown failure");
    }
    return false;
}

// The application-starting cursor for the whole program while busy; the default one otherwise.
void SetBusyCursor(bool busy);
bool IsBusyCursor();

}  // namespace corvana::Application
