// Base for the program's windows. It does the chores every window shares once:
// - the window procedure finds its object through GWLP_USERDATA (set from lpCreateParams at
//   WM_NCCREATE) and forwards to HandleMessage; no failure leaves it;
// - what a typed control (controls_win.h) tells its parent goes to the control instead;
// - the window's DPI and scaling from 96-DPI design sizes, fonts made at that size, and
//   WM_DPICHANGED: the subclass's OnDpiChanged() remakes its fonts and images, the window takes the
//   suggested rectangle and Layout() places the controls again;
// - creation centred over an owner;
// - dragging a window without a caption by its body.
// A subclass hides OnDpiChanged(), Layout() and OnFinalMessage() (after the window is destroyed)
// where it has something to do (a friend of its base when they are private).
#pragma once

#include <windows.h>

#include "win/application_win.h"
#include "win/controls_win.h"
#include "win/gdi_win.h"
#include "win/system_win.h"

namespace corvana {

template <typename T>
class BaseWindow {
public:
    virtual ~BaseWindow() = default;
    HWND Handle() const { return hwnd_; }
    UINT Dpi() const { return dpi_; }
    // A size given at 96 DPI, at the window's DPI.
    int Scale(int value) const { return ScaleForDpi(value, dpi_); }
    // A drag by the body is under way.
    bool Dragging() const { return dragging_; }

protected:
    void OnDpiChanged() {}
    void Layout() {}
    void OnFinalMessage() {}

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        T* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            self = static_cast<T*>(cs->lpCreateParams);
            self->hwnd_ = hwnd;
            self->dpi_ = GetDpiForWindow(hwnd);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            const LRESULT result = DefWindowProcW(hwnd, msg, wp, lp);
            // The window is gone; the object may now free itself (nothing here touches it after).
            Application::Guarded([&] { self->OnFinalMessage(); });
            return result;
        }
        LRESULT result = 0;
        if (!Application::Guarded([&] {
                if (msg == WM_DPICHANGED)
                    self->ApplyDpiChange(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
                else if (const auto reflected = Control::Reflect(msg, wp, lp))
                    result = *reflected;
                else
                    result = self->HandleMessage(msg, wp, lp);
            }))
            result = 0;
        return result;
    }

    static void RegisterClassOnce(const wchar_t* className, HICON icon, HBRUSH background, UINT style = 0) {
        Register(className, WindowProc, icon, IDC_ARROW, background, style);
    }

    // A class for the window's own painted children (panels, owner-made buttons): created with this
    // object as their creation parameter, their messages go to the subclass's ChildMessage(child,
    // msg, wp, lp).
    static void RegisterChildClass(const wchar_t* className, LPCWSTR cursor, HBRUSH background, UINT style = 0) {
        Register(className, ChildProc, nullptr, cursor, background, style);
    }

    // Creates a child of one of the window's own classes.
    HWND CreateChild(const wchar_t* className, DWORD style, DWORD exStyle = 0) {
        return CreateWindowExW(exStyle, className, L"", WS_CHILD | style, 0, 0, 0, 0, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), static_cast<T*>(this));
    }

    // Creates the window with a client area of clientSize (at 96 DPI, scaled to the owner's DPI, or
    // the system's without one), centred on the screen or over the owner. Throws on failure.
    void CreateCentered(HWND owner, const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                        SIZE clientSize, Centring centring = Centring::OnScreen, bool hasMenu = false) {
        dpi_ = owner ? GetDpiForWindow(owner) : GetDpiForSystem();
        const RECT rc = CenteredWindowRect(owner, Scale(clientSize.cx), Scale(clientSize.cy), style, exStyle, hasMenu,
                                           dpi_, centring);
        CreateWindowExW(exStyle, className, caption, style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                        owner, nullptr, GetModuleHandleW(nullptr), this);
        if (!hwnd_) RaiseLastError();
    }

    // A font of the program's face at a size given in pixels at 96 DPI.
    UniqueHfont MakeFont(int pixels, int weight = FW_NORMAL, bool underline = false,
                         const wchar_t* face = kUiFontFace) const {
        return CreateUiFont(Scale(pixels), weight, underline, face);
    }

    // Dragging by the body: a press takes the mouse for the window or control pressed, and each move
    // shifts the window by as much as the pointer moved. Positions are the mouse messages' own, in
    // the client coordinates of the window that got them.
    void BeginDrag(HWND pressed, LPARAM position) {
        dragging_ = true;
        dragAnchor_ = ScreenPoint(pressed, position);
        SetCapture(pressed);
    }
    void ContinueDrag(HWND receiver, LPARAM position) {
        if (!dragging_) return;
        const POINT pt = ScreenPoint(receiver, position);
        RECT r;
        GetWindowRect(hwnd_, &r);
        SetWindowPos(hwnd_, nullptr, r.left + pt.x - dragAnchor_.x, r.top + pt.y - dragAnchor_.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        dragAnchor_ = pt;
    }
    void EndDrag() {
        if (!dragging_) return;
        dragging_ = false;
        const HWND capture = GetCapture();
        if (capture && (capture == hwnd_ || IsChild(hwnd_, capture))) ReleaseCapture();
    }
    // The mouse was taken away (another window captured it): the drag ends where it is.
    void DragInterrupted() { dragging_ = false; }

    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

    HWND hwnd_ = nullptr;

private:
    static void Register(const wchar_t* className, WNDPROC proc, HICON icon, LPCWSTR cursor, HBRUSH background,
                         UINT style) {
        WNDCLASSEXW wc{};
        if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) return;
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = icon;
        wc.hCursor = LoadCursorW(nullptr, cursor);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }

    static LRESULT CALLBACK ChildProc(HWND child, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(child, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(child, GWLP_USERDATA));
        if (!self || msg == WM_NCCREATE || msg == WM_NCDESTROY) return DefWindowProcW(child, msg, wp, lp);
        LRESULT result = 0;
        Application::Guarded([&] { result = self->ChildMessage(child, msg, wp, lp); });
        return result;
    }

    static POINT ScreenPoint(HWND window, LPARAM position) {
        POINT pt{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        ClientToScreen(window, &pt);
        return pt;
    }

    void ApplyDpiChange(UINT dpi, const RECT& suggested) {
        dpi_ = dpi;
        static_cast<T*>(this)->OnDpiChanged();
        SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        static_cast<T*>(this)->Layout();
    }

    UINT dpi_ = 96;
    bool dragging_ = false;
    POINT dragAnchor_{};
};

}  // namespace corvana
