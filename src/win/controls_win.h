// Typed controls: a class for each kind of child control the main window holds, made from its
// arguments, which calls back its owner and lets handlers call what they mean instead of sending
// messages; and the small helpers for hints, button pictures and menus.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvana {

struct ControlArgs {
    HWND parent = nullptr;
    const wchar_t* className = nullptr;
    const wchar_t* text = L"";
    DWORD style = 0;  // WS_CHILD is always added
    int id = 0;
    DWORD exStyle = 0;
};

// A child control, placed later by its owner's layout, for windows that route its notifications by
// their own control ids (the dialogs).
HWND CreateControl(const ControlArgs& args);

// Moves a child window to x, y, width, height (its parent's client coordinates) unless it is
// there already: a move repaints it, which costs milliseconds. A drop-down list's height is its
// open list's, which its window does not show, so it is compared only when compareHeight.
void PlaceWindow(HWND window, int x, int y, int width, int height, bool compareHeight = true);

// A typed child control. The window base hands it what its parent hears from it (WM_COMMAND,
// WM_NOTIFY, and WM_CONTEXTMENU over it), so that its owner says what happens in callbacks set on
// the control, and no window compares handles to find out whose message it is.
class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();
    HWND Handle() const { return hwnd_; }
    void SetFont(HFONT font) const;
    std::wstring Text() const;

    // The menu key or a right click over the control; the position as WM_CONTEXTMENU gives it.
    std::function<void(LPARAM position)> onContextMenu;

    // The parent's message from one of its typed controls, handled by that control. Returns the
    // message's result when the control took it.
    static std::optional<LRESULT> Reflect(UINT msg, WPARAM wp, LPARAM lp);

protected:
    // Creates the control and ties it to this object.
    void Create(const ControlArgs& args);
    // Ties another window to this object: a window whose notifications are this control's (a tool
    // bar's own tooltip, say).
    void Adopt(HWND hwnd);
    virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
    virtual std::optional<LRESULT> OnNotify(NMHDR& /*header*/) { return std::nullopt; }

    HWND hwnd_ = nullptr;

private:
    std::vector<HWND> tied_;
};

class Label : public Control {
public:
    void Create(HWND parent, int id, const wchar_t* text, DWORD style = SS_LEFT);
};

// A push button or a check box (BS_AUTOCHECKBOX).
class Button : public Control {
public:
    void Create(HWND parent, int id, const wchar_t* text, DWORD style = BS_PUSHBUTTON | WS_TABSTOP);
    bool Checked() const;
    // Sets the check mark without a click.
    void SetChecked(bool checked) const;

    std::function<void()> onClick;

protected:
    bool OnCommand(int id, int code) override;
};

// A one-line text field.
class EditField : public Control {
public:
    void Create(HWND parent, int id, DWORD style = ES_AUTOHSCROLL | WS_TABSTOP, DWORD exStyle = WS_EX_CLIENTEDGE);
    // Sets the text; onChange hears of it only when notify is set.
    void SetText(const std::wstring& text, bool notify = true);

    // The text changed, by the user or by SetText.
    std::function<void()> onChange;

protected:
    bool OnCommand(int id, int code) override;

private:
    bool quiet_ = false;
};

// A list to pick one of fixed texts from.
class DropDownList : public Control {
public:
    void Create(HWND parent, int id, std::span<const wchar_t* const> items);
};

class StatusBar : public Control {
public:
    void Create(HWND parent, int id);
    void SetText(const std::wstring& text);
    std::wstring Text() const;
};

// Hidden until a run starts; shows how much of it is done.
class ProgressBar : public Control {
public:
    void Create(HWND parent, int id);
    bool Visible() const { return IsWindowVisible(hwnd_) != FALSE; }
    // Shown at 0 of total.
    void Start(uint64_t total);
    void SetPosition(uint64_t done);
    void Hide();
};

// A push button with a drop-down arrow: a click runs onClick, the arrow opens its menu below it,
// whose commands go to the parent window. It shows a picture only; its name (the hint) is its
// window text, for screen readers.
class SplitButton : public Button {
public:
    // hints: the tooltip window that shows the button's hint. menu: stays the caller's.
    void Create(HWND parent, int id, const wchar_t* hint, HWND hints, HMENU menu);
    // The picture, centred (an image list of one, or six for the button's states).
    void SetImages(HIMAGELIST images);
    // Opens the menu below the button, its left edge at the button's unless it would then stick out
    // past the right edge of the parent window. The hint stays away meanwhile.
    void ShowMenu() const;

protected:
    std::optional<LRESULT> OnNotify(NMHDR& header) override;

private:
    HWND hints_ = nullptr;
    HMENU menu_ = nullptr;
};

// A tool bar of buttons that run commands by id, each with a hint.
class ToolBar : public Control {
public:
    struct Item {
        int command = 0;  // 0 for a separator
        const wchar_t* caption = nullptr;
        const wchar_t* hint = nullptr;
        int image = -1;  // into the bar's image list
    };
    void Create(HWND parent, int id, std::initializer_list<Item> items);

    std::function<void(int command)> onCommand;

protected:
    bool OnCommand(int id, int code) override;
    std::optional<LRESULT> OnNotify(NMHDR& header) override;

private:
    std::vector<Item> items_;
};

// A list view whose notifications its owner answers in onNotify.
class ListViewControl : public Control {
public:
    void Create(const ControlArgs& args) { Control::Create(args); }

    std::function<std::optional<LRESULT>(NMHDR& header)> onNotify;

protected:
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
};

// The bar between two panes: dragging it reports where the mouse is (in the parent's client
// coordinates) while it moves, and the parent lays the panes out again.
class Splitter : public Control {
public:
    void Create(HWND parent, int id, std::function<void(int clientX)> onDrag);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);
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
