// Typed controls: a child control made from a small argument struct, and thin classes for the
// kinds the program drives a lot (status bar, progress bar, split button), so that handlers call
// what they mean instead of sending messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace corvana {

struct ControlArgs {
    HWND parent = nullptr;
    const wchar_t* className = nullptr;
    const wchar_t* text = L"";
    DWORD style = 0;  // WS_CHILD is always added
    int id = 0;
    DWORD exStyle = 0;
};

// A child control, placed later by its owner's layout.
HWND CreateControl(const ControlArgs& args);

class StatusBar {
public:
    void Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }
    void SetText(const std::wstring& text);
    std::wstring Text() const;

private:
    HWND hwnd_ = nullptr;
};

// Hidden until a run starts; shows how many of its jobs have finished.
class ProgressBar {
public:
    void Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }
    bool Visible() const { return IsWindowVisible(hwnd_) != FALSE; }
    // Shown at 0 of total.
    void Start(size_t total);
    void SetPosition(size_t done);
    void Hide();

private:
    HWND hwnd_ = nullptr;
};

// A push button with a drop-down arrow: a click runs the button's command, the arrow opens its menu
// below it. It shows a picture only; its name (the hint) is its window text, for screen readers.
class SplitButton {
public:
    // hints: the tooltip window that shows the button's hint.
    void Create(HWND parent, int id, const wchar_t* hint, HWND hints);
    HWND Handle() const { return hwnd_; }
    // The picture, centred (an image list of one, or six for the button's states).
    void SetImages(HIMAGELIST images);
    // Opens menu below the button, its left edge at the button's unless it would then stick out past
    // the right edge of the owner's window; its commands go to owner. The hint stays away meanwhile.
    void ShowMenu(HMENU menu, HWND owner) const;

private:
    HWND hwnd_ = nullptr;
    HWND hints_ = nullptr;
};

// The bar between two panes: dragging it reports where the mouse is (in the parent's client
// coordinates) while it moves, and the parent lays the panes out again.
class Splitter {
public:
    void Create(HWND parent, int id, std::function<void(int clientX)> onDrag);
    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);
    HWND hwnd_ = nullptr;
    std::function<void(int)> onDrag_;
};

// A tooltip window for hints of controls that name no tool themselves.
HWND CreateHintWindow(HWND owner);
// Shows `hint` over `control` (a child of `parent`) in the hint window.
void AddHint(HWND hints, HWND parent, HWND control, const wchar_t* hint);

// Puts a picture on a push button: left of its text with `margin` pixels before it, or centred
// on a button that shows only its picture.
void SetButtonPicture(HWND button, HIMAGELIST images, UINT alignment, int margin = 0);

// One item of a menu built from a list: a command and its text (with flags such as MF_CHECKED),
// or a separator (command 0).
struct MenuItem {
    int command = 0;
    const wchar_t* text = nullptr;
    UINT flags = 0;
};
inline constexpr MenuItem kMenuSeparator{};
void AppendMenuItems(HMENU menu, std::initializer_list<MenuItem> items);

}  // namespace corvana
