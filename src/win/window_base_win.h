// Base for the program's windows: the window procedure finds its object through GWLP_USERDATA
// (set from lpCreateParams at WM_NCCREATE) and forwards to HandleMessage; no failure leaves it.
#pragma once

#include <windows.h>

#include "win/application_win.h"

namespace corvana {

template <typename T>
class BaseWindow {
public:
    virtual ~BaseWindow() = default;
    HWND Handle() const { return hwnd_; }

protected:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        T* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            self = static_cast<T*>(cs->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
        LRESULT result = 0;
        if (!Application::Guarded([&] { result = self->HandleMessage(msg, wp, lp); })) result = 0;
        return result;
    }

    static void RegisterClassOnce(const wchar_t* className, HICON icon, HBRUSH background, UINT style = 0) {
        WNDCLASSEXW wc{};
        if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) return;
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = icon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }

    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

    HWND hwnd_ = nullptr;
};

}  // namespace corvana
