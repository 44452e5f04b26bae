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

    // ---- Controls (the border, the text area and the button strip are areas of the window itself) ----
    HWND iconImage = nullptr, headlineLabel = nullptr, linkLabel = nullptr, closeButton = nullptr;

    // The colour the link is drawn in now.
    COLORREF LinkColor() const { return linkColor_; }
    // Where the link leads: the download address when it is a web address, else the home page.
    std::wstring LinkAddress() const;

    // ---- Handlers ----
    void OnCreate();
    void OnClose();
    void OnShowTimer();
    void OnCountdownTimer();
    void OnLinkTimer();
    void OpenLink();
    void OnCloseButton();

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    enum TimerId : UINT_PTR { TimerStart = 1, TimerClose = 2, TimerLink = 3 };

private:
    friend class BaseWindow<UpdateNotice>;
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
    COLORREF linkColor_ = 0;
    UniqueHfont font_, titleFont_, linkFont_;
    UniqueHicon icon_;
};

}  // namespace corvana
