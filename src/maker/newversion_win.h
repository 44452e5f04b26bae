// UpdateNotice: the small notice that slides in at the top right of the primary screen when the update
// check found a different version. Borderless, always on top, never takes the focus; closes
// (hides) itself after about eleven seconds, or at once on its link or close button.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "win/handles_win.h"
#include "win/window_base_win.h"

namespace corvana {

inline constexpr const wchar_t* kNewVersionWindowClass = L"TNewVer";

class UpdateNotice : public BaseWindow<UpdateNotice> {
public:
    // mainWindow keeps the focus while the notice shows. The notice hides itself closeAfterSeconds
    // after its creation; the main window makes at most one notice a run, so the countdown is
    // never started again.
    UpdateNotice(std::wstring productName, std::wstring latestVersion, std::wstring downloadURL, HWND mainWindow,
                 int64_t closeAfterSeconds = 11);
    ~UpdateNotice() override;

    // Creates the window hidden; TimerStart shows it.
    void Create();

    // ---- Controls that tests look at (the border, the text area and the button strip are areas of
    // the window itself) ----
    HWND IconImage() const { return iconImage_; }
    HWND HeadlineLabel() const { return headlineLabel_; }
    HWND LinkLabel() const { return linkLabel_; }
    HWND CloseButton() const { return closeButton_; }

    // The colour the link is drawn in now.
    COLORREF LinkColor() const { return linkColor_; }
    // Where the link leads: the download address when it is a web address, else the home page.
    std::wstring LinkAddress() const;
    // What a click on the link does: opens its address and hides the notice.
    void OpenLink();

    enum TimerId : UINT_PTR { TimerStart = 1, TimerClose = 2, TimerLink = 3 };

private:
    friend class BaseWindow<UpdateNotice>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCreate();
    void OnClose();
    void OnShowTimer();
    void OnCountdownTimer();
    void OnLinkTimer();
    void OnCloseButton();
    void CreateControls();
    void OnDpiChanged();
    void Layout();
    RECT TextAreaRect() const;
    void DrawItem(const DRAWITEMSTRUCT& item);
    static LRESULT CALLBACK DragSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    // Mouse messages of the window itself and of the controls that drag it: any button but the right
    // one drags.
    bool HandleMouse(HWND sender, UINT msg, WPARAM wp, LPARAM lp);

    std::wstring productName_, latestVersion_, downloadURL_;
    int64_t countdown_;  // seconds left, counted from creation, also while hidden or dragged
    HWND mainWindow_;
    HWND iconImage_ = nullptr, headlineLabel_ = nullptr, linkLabel_ = nullptr, closeButton_ = nullptr;
    COLORREF linkColor_ = 0;
    UniqueHfont font_, titleFont_, linkFont_;
    UniqueHicon icon_;
};

}  // namespace corvana
