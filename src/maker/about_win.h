// AboutBox: the about box, a black tool window with the logo, the product and version, "OK",
// "Info" with its menu, the home-page link, the falling-characters animation around the central
// panel and a hidden picture behind it.
#pragma once

#include <windows.h>

#include <string>

#include "common/program_info.h"
#include "maker/about.h"
#include "win/handles_win.h"
#include "win/system_win.h"
#include "win/window_base_win.h"

namespace corvana {

class AboutBox : public BaseWindow<AboutBox> {
public:
    explicit AboutBox(const ProgramInfo& program);
    ~AboutBox() override;

    // Creates the window (running OnCreate) without showing it.
    void Create(HWND owner);
    // Creates, shows modally and destroys.
    void ShowModal(HWND owner);
    void Close();

    // ---- Controls ----
    HWND picturePanel = nullptr, hiddenPicturePanel = nullptr, okButton = nullptr, infoButton = nullptr,
         homeLink = nullptr, makerLabel = nullptr, versionLabel = nullptr, homeLinkHint = nullptr;
    HMENU infoMenu = nullptr;

    // ---- Handlers ----
    void OnCreate();
    void OnResize();
    void OnRainTimer();
    void OnSlideTimer();
    void OnLogoDoubleClick();
    void OnHiddenPictureDoubleClick();
    void OnOk() { Close(); }
    void OnInfo();
    void ShowDropDownMenu(HWND button, HMENU menu);
    void OpenAcknowledgements();
    void OpenUninstallHelp();
    void OpenLicense();
    void OpenHomePage();
    void LoadPictures();

    // ---- State that tests look at ----
    std::wstring VersionText() const { return GetWindowTextString(versionLabel); }
    bool PictureSliding() const { return sliding_; }
    const RainAnimation& Rain() const { return rain_; }
    int LogoImageHeight() const { return logoSize_; }
    // Panel-relative rectangles of the painted parts (at the current DPI).
    RECT LogoRect() const;
    RECT HomeLinkRect() const;

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Messages of the two panels, which are painted and handled here.
    LRESULT ChildMessage(HWND panel, UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class BaseWindow<AboutBox>;
    void OnDpiChanged();
    void Layout();
    void PaintPanel(HWND panel, HDC dc);
    void DrawButton(const DRAWITEMSTRUCT& item);
    struct MakerMark {
        RECT logo, name;  // in the panel
    };
    MakerMark MakerMarkPlace() const;

    const ProgramInfo& program_;
    RainAnimation rain_;
    bool sliding_ = false;
    DropDownGuard dropDownGuard_;
    int logoSize_ = 0;
    UniqueHfont bigFont_, nameFont_, linkFont_, rainFont_;
    UniqueHicon logo_, cat_, appIcon_, arrow_;
};

}  // namespace corvana
