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

    // The commands of the Info menu and the home-page link (tests run them directly).
    void OpenAcknowledgements();
    void OpenUninstallHelp();
    void OpenLicense();
    void OpenHomePage();

    // ---- Controls and state that tests look at ----
    HWND PicturePanel() const { return picturePanel_; }
    HWND HiddenPicturePanel() const { return hiddenPicturePanel_; }
    HWND OkButton() const { return okButton_; }
    HWND InfoButton() const { return infoButton_; }
    HWND HomeLink() const { return homeLink_; }
    HWND MakerLabel() const { return makerLabel_; }
    HWND VersionLabel() const { return versionLabel_; }
    HMENU InfoMenu() const { return infoMenu_; }
    bool PictureSliding() const { return sliding_; }
    const RainAnimation& Rain() const { return rain_; }
    int LogoImageHeight() const { return logoSize_; }
    // Panel-relative rectangles of the painted parts (at the current DPI).
    RECT LogoRect() const;
    RECT HomeLinkRect() const;

private:
    friend class BaseWindow<AboutBox>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Messages of the two panels, which are painted and handled here.
    LRESULT ChildMessage(HWND panel, UINT msg, WPARAM wp, LPARAM lp);

    void OnCreate();
    void OnResize();
    void OnRainTimer();
    void OnSlideTimer();
    void OnLogoDoubleClick();
    void OnHiddenPictureDoubleClick();
    void OnOk() { Close(); }
    void OnInfo();
    void ShowDropDownMenu(HWND button, HMENU menu);
    void LoadPictures();
    void OnDpiChanged();
    void Layout();
    void PaintPanel(HWND panel, HDC dc);
    void DrawButton(const DRAWITEMSTRUCT& item);
    struct MakerMark {
        RECT logo, name;  // in the panel
    };
    MakerMark MakerMarkPlace() const;

    const ProgramInfo& program_;
    HWND picturePanel_ = nullptr, hiddenPicturePanel_ = nullptr, okButton_ = nullptr, infoButton_ = nullptr,
         homeLink_ = nullptr, makerLabel_ = nullptr, versionLabel_ = nullptr, homeLinkHint_ = nullptr;
    HMENU infoMenu_ = nullptr;
    RainAnimation rain_;
    bool sliding_ = false;
    DropDownGuard dropDownGuard_;
    int logoSize_ = 0;
    UniqueHfont bigFont_, nameFont_, linkFont_, rainFont_;
    UniqueHicon logo_, cat_, appIcon_, arrow_;
};

}  // namespace corvana
