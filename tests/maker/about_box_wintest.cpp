#include "maker/about_win.h"

#include "support/app_fixture.h"
#include "support/browser_log.h"
#include "common/text.h"
#include "maker/about.h"

namespace corvana::test {
namespace {

class AboutBoxWindow : public AppFixture {
protected:
    std::unique_ptr<corvana::AboutBox> box;
    void OpenBox() {
        Start();
        box = std::make_unique<corvana::AboutBox>(form->Program());
        box->Create(form->Handle());
        ShowWindow(box->Handle(), SW_SHOWNOACTIVATE);
        PumpFor(20);
    }
    void TearDown() override {
        box.reset();
        AppFixture::TearDown();
    }
    int PicturePanelLeft() const {
        RECT r;
        GetWindowRect(box->PicturePanel(), &r);
        MapWindowPoints(nullptr, box->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r.left;
    }
    void DoubleClickIcon() {
        const RECT icon = box->LogoRect();
        SendMessageW(box->PicturePanel(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(icon.left + 4, icon.top + 4));
    }
};

TEST_F(AboutBoxWindow, ShowsTheProductAndVersion) {
    OpenBox();
    EXPECT_EQ(GetWindowTextString(box->Handle()), L"About Corvana");
    EXPECT_EQ(GetWindowTextString(box->VersionLabel()), L"Corvana 1.7");
    EXPECT_EQ(GetWindowTextString(box->OkButton()), L"OK");
    EXPECT_EQ(GetWindowTextString(box->InfoButton()), L"Info");
    EXPECT_TRUE(GetWindowLongPtrW(box->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_EQ(client.right, box->Scale(446));
    EXPECT_EQ(client.bottom, box->Scale(374));
    EXPECT_EQ(GetNextDlgTabItem(box->Handle(), nullptr, FALSE), box->OkButton()) << "OK comes first";
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(box->InfoMenu()); ++i) {
        wchar_t text[64]{};
        GetMenuStringW(box->InfoMenu(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        items.push_back(text);
    }
    EXPECT_EQ(items, (std::vector<std::wstring>{L"Acknowledgements...", L"How to uninstall...", L"License..."}));
}

TEST_F(AboutBoxWindow, AnimationGridKeepsTheSizeCapturedAtCreation) {
    OpenBox();
    RECT outer;
    GetWindowRect(box->Handle(), &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    EXPECT_EQ(box->Rain().BitmapWidth(), width);
    EXPECT_EQ(box->Rain().MatrixWidth(), width / 8);
    EXPECT_EQ(box->Rain().MatrixHeight(), height / 12);
    EXPECT_EQ(box->Rain().Drops().size(), static_cast<size_t>(2 * (width / 8)));
    ASSERT_TRUE(PumpUntil([&] { return box->Rain().TickCount() >= 3; }, 3000)) << "the 50 ms timer runs";

    SetWindowPos(box->Handle(), nullptr, 0, 0, width + 200, height + 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(box->Rain().MatrixWidth(), width / 8);
    EXPECT_EQ(box->Rain().Drops().size(), static_cast<size_t>(2 * (width / 8)));
}

TEST_F(AboutBoxWindow, DpiChangeRendersThePicturesAnewButKeepsTheGrid) {
    OpenBox();
    const int matrixWidth = box->Rain().MatrixWidth();
    const int before = box->LogoImageHeight();
    RECT window;
    GetWindowRect(box->Handle(), &window);
    RECT suggested{window.left, window.top, window.left + 920, window.top + 800};
    SendMessageW(box->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(box->LogoImageHeight(), 2 * before);
    EXPECT_EQ(box->Rain().MatrixWidth(), matrixWidth);
}

TEST_F(AboutBoxWindow, HiddenPictureSlidesOutOnceAndBack) {
    OpenBox();
    const int home = PicturePanelLeft();
    EXPECT_FALSE(IsWindowVisible(box->HiddenPicturePanel()));
    DoubleClickIcon();
    EXPECT_TRUE(IsWindowVisible(box->HiddenPicturePanel()));
    EXPECT_TRUE(box->PictureSliding());
    DoubleClickIcon();  // a second double-click during the slide starts nothing new
    SendMessageW(box->HiddenPicturePanel(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));  // ignored while sliding
    EXPECT_TRUE(IsWindowVisible(box->HiddenPicturePanel()));
    ASSERT_TRUE(PumpUntil([&] { return !box->PictureSliding(); }, 10000));
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_GT(PicturePanelLeft(), client.right) << "the panel has left the window";
    EXPECT_EQ((PicturePanelLeft() - home) % 5, 0) << "it moves in steps of five pixels";

    SendMessageW(box->HiddenPicturePanel(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(IsWindowVisible(box->HiddenPicturePanel()));
    EXPECT_EQ(PicturePanelLeft(), (client.right - box->Scale(350)) / 2);
}

TEST_F(AboutBoxWindow, OkAndEscapeClose) {
    OpenBox();
    SendMessageW(box->PicturePanel(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(box->OkButton()));
    EXPECT_FALSE(IsWindow(box->Handle()));
    for (bool onInfo : {false, true}) {
        box = std::make_unique<corvana::AboutBox>(form->Program());
        box->Create(form->Handle());
        MSG escape{onInfo ? box->InfoButton() : box->OkButton(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageW(box->Handle(), &escape));  // as the modal loop hands it over
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box->Handle()); }, 3000))
            << (onInfo ? "Esc on Info" : "Esc on OK");
    }
}

// Notepad is started from the system's folder: one planted in the current folder (where a dialog may
// have left the program) or beside the program is not run.
TEST_F(AboutBoxWindow, LicenseOpensInTheSystemsNotepadEvenFromAFolderWithSpaces) {
    TempFolder spaced(L"my programs");
    TempFolder planted(L"planted");
    wchar_t system[MAX_PATH]{};
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(
        CopyFileW((std::wstring(system) + L"\\notepad.exe").c_str(), (planted / L"notepad.exe").c_str(), FALSE));
    // Beside the running program, which is where a search for a bare name looks first.
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring besideProgram(self);
    besideProgram = besideProgram.substr(0, besideProgram.rfind(L'\\')) + L"\\notepad.exe";
    ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\notepad.exe").c_str(), besideProgram.c_str(), FALSE));
    const ScopeExit removePlanted([&] { DeleteFileW(besideProgram.c_str()); });
    wchar_t previous[MAX_PATH]{};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(planted.Path().c_str());
    form = std::make_unique<MainWindow>(CopyProgramTo(spaced.Path()));
    form->Create();
    WriteFileBytes(spaced / L"license.txt", "Licence text");
    box = std::make_unique<corvana::AboutBox>(form->Program());
    box->Create(form->Handle());
    box->OpenLicense();
    SetCurrentDirectoryW(previous);
    HWND notepad = nullptr;
    const auto opened = [&] {
        notepad = FindWindowW(L"Notepad", nullptr);
        return notepad && AsciiLowerCase(GetWindowTextString(notepad)).find(L"license.txt") != std::wstring::npos;
    };
    EXPECT_TRUE(PumpUntil(opened, 15000)) << "Notepad shows the licence file";
    if (notepad) {
        DWORD pid = 0;
        GetWindowThreadProcessId(notepad, &pid);
        const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        wchar_t image[MAX_PATH]{};
        DWORD size = MAX_PATH;
        ASSERT_TRUE(QueryFullProcessImageNameW(process.get(), 0, image, &size));
        EXPECT_EQ(AsciiLowerCase(image).find(AsciiLowerCase(planted.Path())), std::wstring::npos) << image;
        EXPECT_NE(AsciiLowerCase(image), AsciiLowerCase(besideProgram)) << image;
        PostMessageW(notepad, WM_CLOSE, 0, 0);
        PumpUntil([&] { return !IsWindow(notepad); }, 5000);
    }
}

TEST_F(AboutBoxWindow, LicenseMissingSaysSo) {
    OpenBox();
    MessageBoxWatcher watcher;
    box->OpenLicense();
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].caption, L"License");
    EXPECT_EQ(watcher.Boxes()[0].text, L"File not found!");
    EXPECT_TRUE(IsWindow(box->Handle())) << "the box stays open";
}

TEST_F(AboutBoxWindow, DraggingMovesTheWindowExceptWithTheRightButton) {
    OpenBox();
    // Each message carries the pointer's place in the receiver's client coordinates at that moment,
    // as the system would report it.
    const auto sendAt = [](HWND receiver, UINT msg, WPARAM keys, POINT screen) {
        ScreenToClient(receiver, &screen);
        SendMessageW(receiver, msg, keys, MAKELPARAM(screen.x, screen.y));
    };
    RECT before, after;
    GetWindowRect(box->Handle(), &before);
    const POINT start{before.left + 20, before.top + 20};
    sendAt(box->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, start);
    sendAt(box->Handle(), WM_MOUSEMOVE, MK_RBUTTON, {start.x + 40, start.y + 40});
    sendAt(box->Handle(), WM_RBUTTONUP, 0, {start.x + 40, start.y + 40});
    GetWindowRect(box->Handle(), &after);
    EXPECT_EQ(after.left, before.left);

    sendAt(box->PicturePanel(), WM_MBUTTONDOWN, MK_MBUTTON, start);
    sendAt(box->PicturePanel(), WM_MOUSEMOVE, MK_MBUTTON, {start.x + 30, start.y + 15});
    sendAt(box->PicturePanel(), WM_MBUTTONUP, 0, {start.x + 30, start.y + 15});
    GetWindowRect(box->Handle(), &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 15);
    EXPECT_EQ(GetCapture(), nullptr) << "the mouse is given back when the button is up";
}

TEST_F(AboutBoxWindow, LinksOpenTheMakersPages) {
    OpenBox();
    const std::string host = CORVANA_MAKER_HOST;
    struct {
        void (AboutBox::*command)();
        std::string opened;
    } cases[] = {
        {&AboutBox::OpenHomePage, "http://" + host + "/"},
        {&AboutBox::OpenAcknowledgements, "https://" + host + "/blog/credits-and-acknowledgements/"},
        {&AboutBox::OpenUninstallHelp, "http://" + host + "/blog/how-to-uninstall-kaldern-software/"},
    };
    for (const auto& c : cases) {
        BrowserLog browser;
        (box.get()->*c.command)();
        ASSERT_TRUE(browser.WaitForText());
        EXPECT_EQ(browser.Text(), c.opened + "\n");
    }
}

// What the box shows as text is in controls a screen reader can read; the home-page link comes
// after "Info" in the tab order and opens the page with Enter (or a click), leaving the box open.
TEST_F(AboutBoxWindow, TextsAreControlsAndTheLinkWorksFromTheKeyboard) {
    OpenBox();
    const std::string host = CORVANA_MAKER_HOST;
    EXPECT_EQ(GetWindowTextString(box->VersionLabel()), L"Corvana 1.7");
    EXPECT_EQ(GetWindowTextString(box->MakerLabel()), L"KALDERN");
    EXPECT_EQ(GetWindowTextString(box->HomeLink()), std::wstring(host.begin(), host.end()));
    EXPECT_EQ(GetNextDlgTabItem(box->Handle(), box->InfoButton(), FALSE), box->HomeLink());
    {
        BrowserLog browser;
        SetFocus(box->HomeLink());
        MSG enter{box->HomeLink(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageW(box->Handle(), &enter));  // as the modal loop hands it over
        ASSERT_TRUE(browser.WaitForText());
        EXPECT_EQ(browser.Text(), "http://" + host + "/\n");
        EXPECT_TRUE(IsWindow(box->Handle()));
    }
    {
        BrowserLog browser;
        SendMessageW(box->HomeLink(), BM_CLICK, 0, 0);
        ASSERT_TRUE(browser.WaitForText());
        EXPECT_EQ(browser.Text(), "http://" + host + "/\n");
    }
}

using OnlineHelp = AppFixture;

TEST_F(OnlineHelp, MenuToolButtonAndF1OpenTheHelpPage) {
    Start();
    const std::string expected = std::string("http://") + CORVANA_MAKER_HOST + "/help/corvana/\n";
    const std::function<void()> ways[] = {
        [&] { form->RunCommand(CMD_OnlineHelp); },
        [&] { SendMessageW(form->Handle(), WM_COMMAND, CMD_ToolHelp, reinterpret_cast<LPARAM>(form->ToolBar())); },
        [&] {
            PostMessageW(form->Files().Handle(), WM_KEYDOWN, VK_F1, 0);
            Application::ProcessMessages();
        },
    };
    for (const auto& way : ways) {
        BrowserLog browser;
        way();
        ASSERT_TRUE(browser.WaitForText());
        EXPECT_EQ(browser.Text(), expected);
    }
}

}  // namespace
}  // namespace corvana::test
