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

// Seconds left for the notice: counted down from creation and never reset within a run.
extern int64_t CloseCountdown;

class UpdateNotice : public BaseWindow<UpdateNotice> {
public:
    // mainWindow keeps the focus while the notice shows.
    UpdateNotice(std::wstring productName, std::wstring latestVersion, std::wstring downloadURL, HWND mainWindow);
    ~UpdateNotice() override;

    // Creates the window hidden; TimerStart shows it.
    void Create();

    // ---- Controls (Panel1, Panel2 and Panel3 are areas of the window itself) ----
    HWND Image1 = nullptr, Label1 = nullptr, Label2 = nullptr, Button1 = nullptr;

    bool dragging = false;
    POINT DragAnchor{};

    // The colour the link is drawn in now.
    COLORREF LinkColor() const { return linkColor_; }
    // Where the link leads: the download address when it is a web address, else the home page.
    std::wstring LinkAddress() const;

    // ---- Handlers ----
    void FormCreate();
    void FormClose();
    void TimerStartTimer();
    void TimerCloseTimer();
    void TimerLinkTimer();
    void Label2Click();
    void Button1Click();
    // sender: the window or control under the mouse; pos in the sender's client coordinates.
    void FormMouseDown(HWND sender, UINT button, POINT pos);
    void FormMouseMove(HWND sender, POINT pos);
    void FormMouseUp(HWND sender);

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    enum TimerId : UINT_PTR { TimerStart = 1, TimerClose = 2, TimerLink = 3 };

private:
    friend class BaseWindow<UpdateNotice>;
    int Scale(int value) const { return MulDiv(value, static_cast<int>(dpi_), 96); }
    void CreateControls();
    void Layout();
    RECT Panel2Rect() const;
    void DrawItem(const DRAWITEMSTRUCT& item);
    static LRESULT CALLBACK DragSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    bool HandleMouse(HWND sender, UINT msg, WPARAM wp, LPARAM lp);

    std::wstring productName_, latestVersion_, downloadURL_;
    HWND mainWindow_;
    UINT dpi_ = 96;
    COLORREF linkColor_ = 0;
    UniqueHfont font_, titleFont_, linkFont_;
    UniqueHicon icon_;
};

}  // namespace corvana
