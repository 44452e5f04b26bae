#include <windowsx.h>

#include <set>

#include "app/version_record_win.h"
#include "common/app_error.h"
#include "win/gdi_win.h"
#include "support/app_fixture.h"

namespace corvana::test {
namespace {

using MainWindowTest = AppFixture;

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[128]{};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// The items of a menu by position: their texts, "-" for a separator.
std::vector<std::wstring> MenuItems(HMENU menu) {
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        // A submenu's state holds its item count in the high byte, which may look like the separator flag.
        const bool separator = !(state & MF_POPUP) && (state & MF_SEPARATOR);
        items.push_back(separator ? L"-" : MenuText(menu, static_cast<UINT>(i)));
    }
    return items;
}

RECT ClientRectIn(HWND parent, HWND child) {
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

TEST_F(MainWindowTest, ControlsCarryTheirTextsAndInitialStates) {
    Start();
    EXPECT_EQ(GetWindowTextString(form->Options().FormatLabel()), L"Output Format:");
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderLabel()), L"Target Folder:");
    EXPECT_EQ(GetWindowTextString(form->Options().NormalizeCheck()), L"Volume Normalization");
    EXPECT_EQ(GetWindowTextString(form->Options().UseSourceFolderCheck()), L"Use Source Folder");
    EXPECT_EQ(GetWindowTextString(form->ConvertButton()), L"Convert");
    EXPECT_TRUE(IsWindowEnabled(form->ConvertButton()));
    EXPECT_EQ(Button_GetCheck(form->Options().NormalizeCheck()), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowVisible(form->ProgressBarHandle()));
    EXPECT_EQ(form->StatusText(), L"");
    EXPECT_EQ(ListView_GetItemCount(form->Files().Handle()), 0);

    const std::vector<std::wstring> formats = {L"MP3", L"WAV", L"M4A",  L"WMA", L"FLAC", L"WEBM", L"AIFF",
                                               L"AAC", L"OGG", L"OPUS", L"AC3", L"EAC3", L"MP2",  L"WV"};
    ASSERT_EQ(ComboBox_GetCount(form->Options().FormatBox()), static_cast<int>(formats.size()));
    for (int i = 0; i < ComboBox_GetCount(form->Options().FormatBox()); ++i) {
        wchar_t text[16]{};
        ComboBox_GetLBText(form->Options().FormatBox(), i, text);
        EXPECT_EQ(text, formats[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(GetWindowTextString(form->Options().FormatBox()), L"MP3");
    EXPECT_EQ(GetWindowLongPtrW(form->Options().FormatBox(), GWL_STYLE) & 3, CBS_DROPDOWNLIST) << "no typed text";

    wchar_t header[32]{};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = header;
    col.cchTextMax = 32;
    ASSERT_TRUE(ListView_GetColumn(form->Files().Handle(), 0, &col));
    EXPECT_EQ(std::wstring(header), L"File");
    ASSERT_TRUE(ListView_GetColumn(form->Files().Handle(), 1, &col));
    EXPECT_EQ(std::wstring(header), L"Result");
    EXPECT_EQ(ListView_GetColumnWidth(form->Files().Handle(), 1), form->Scale(71));
    const DWORD ex = ListView_GetExtendedListViewStyle(form->Files().Handle());
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    const auto style = GetWindowLongPtrW(form->Files().Handle(), GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & LVS_EDITLABELS);
}

TEST_F(MainWindowTest, ToolBarHasItsButtonsAndHints) {
    Start();
    struct {
        int command;
        const wchar_t* caption;
        const wchar_t* hint;
    } expected[] = {{CMD_ToolAddFiles, L"Add Files", L"Select audio files"},
                    {CMD_ToolAddFolder, L"Add Folder", L"Select audio folders"},
                    {0, L"", L""},
                    {CMD_ToolFeedback, L"Feedback", L"Send feedback"},
                    {CMD_ToolAbout, L"About", L"Show aboutbox"},
                    {CMD_ToolHelp, L"Help", L"Online help"}};
    ASSERT_EQ(SendMessageW(form->ToolBar(), TB_BUTTONCOUNT, 0, 0), 6);
    for (int i = 0; i < 6; ++i) {
        TBBUTTON b{};
        SendMessageW(form->ToolBar(), TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        EXPECT_EQ(b.idCommand, expected[i].command);
        if (expected[i].command == 0) {
            EXPECT_TRUE(b.fsStyle & BTNS_SEP);
            continue;
        }
        wchar_t text[64]{};
        SendMessageW(form->ToolBar(), TB_GETBUTTONTEXTW, static_cast<WPARAM>(b.idCommand),
                     reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::wstring(text), expected[i].caption);
        // The hint the tool bar asks its parent for.
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(form->ToolBar(), TB_GETTOOLTIPS, 0, 0));
        info.hdr.idFrom = static_cast<UINT_PTR>(b.idCommand);
        info.hdr.code = TTN_GETDISPINFOW;
        SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        ASSERT_NE(info.lpszText, nullptr);
        EXPECT_EQ(std::wstring(info.lpszText), expected[i].hint);
    }
    RECT rc;
    SendMessageW(form->ToolBar(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
    EXPECT_EQ(rc.right - rc.left, form->Scale(71));
    EXPECT_EQ(rc.bottom - rc.top, form->Scale(84));
}

TEST_F(MainWindowTest, MenusHoldTheirItemsInOrder) {
    Start();
    HMENU main = GetMenu(form->Handle());
    ASSERT_EQ(main, form->Menu());
    // The texts with their access keys ("&F" shows as an underlined F) and shortcut hints.
    const std::vector<std::pair<HMENU, std::vector<std::wstring>>> menus = {
        {main, {L"&File", L"&Settings", L"&Help"}},
        {GetSubMenu(main, 0), {L"&Clear", L"-", L"Add &Files...", L"Add F&older...", L"-", L"E&xit"}},
        {GetSubMenu(main, 1),
         {L"Show Error &Details", L"&Keep Folder Structure", L"Skip &Converted Files", L"&Simultaneous Conversions",
          L"-", L"&Reset to Defaults..."}},
        {GetSubMenu(GetSubMenu(main, 1), 3), {L"&Automatic", L"1", L"2", L"3", L"4", L"6", L"8", L"12", L"16"}},
        {GetSubMenu(main, 2),
         {L"Online &Help\tF1", L"-", L"&Update Notifications", L"-", L"Send &Feedback...", L"&About..."}},
        {form->Files().Menu(),
         {L"&Open", L"Show in &Explorer", L"-", L"&Remove from List\tDel", L"Send to Recycle &Bin", L"-",
          L"Select &All\tCtrl+A", L"-", L"&Properties"}},
        {form->Options().TargetFolderMenu(), {L"&Change Destination Folder...", L"&Show in Explorer"}},
        {form->Options().AudioSettingsMenu(), {L"&Audio Settings...", L"&Remember Audio Settings"}},
    };
    for (const auto& [menu, expected] : menus) {
        const std::vector<std::wstring> items = MenuItems(menu);
        EXPECT_EQ(items, expected);
        // No two items of a menu share an access key.
        std::set<wchar_t> keys;
        for (const auto& item : items) {
            const size_t amp = item.find(L'&');
            if (amp != std::wstring::npos && amp + 1 < item.size()) {
                EXPECT_TRUE(keys.insert(static_cast<wchar_t>(towupper(item[amp + 1]))).second) << item;
            }
        }
    }
    EXPECT_EQ(GetMenuDefaultItem(form->Files().Menu(), FALSE, 0), static_cast<UINT>(CMD_Open));

    const UINT update = GetMenuState(main, CMD_UpdateNotifications, MF_BYCOMMAND);
    EXPECT_TRUE(update & MF_CHECKED);
    EXPECT_TRUE(update & MF_GRAYED);
    EXPECT_FALSE(form->IsMenuChecked(CMD_ShowErrorDetails));
    EXPECT_FALSE(form->IsMenuChecked(CMD_RememberAudioSettings));
}

// A screen reader names a control by its text, or a field by the label right before it in window
// order: the picture-only split buttons carry their hints as text, and each field follows its label.
TEST_F(MainWindowTest, EveryControlHasAName) {
    Start();
    EXPECT_EQ(GetWindowTextString(form->Options().AudioSettingsButton()), L"Audio Settings");
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderButton()), L"Change Destination Folder");
    EXPECT_EQ(GetWindow(form->Options().FormatBox(), GW_HWNDPREV), form->Options().FormatLabel());
    EXPECT_EQ(GetWindow(form->Options().TargetFolderEdit(), GW_HWNDPREV), form->Options().TargetFolderLabel());
}

// The face a font of that name really gets: the name itself when the system has it, another face
// when it substitutes one.
std::wstring FaceGivenFor(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfHeight = -12;
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    UniqueHfont font(CreateFontIndirectW(&wanted));
    ScopedGetDC dc(nullptr);
    ScopedSelectObject selected(dc, font.get());
    wchar_t given[LF_FACESIZE]{};
    GetTextFaceW(dc, LF_FACESIZE, given);
    return given;
}

// The window's text is drawn in its own face, and the system draws the split buttons' drop-down
// arrows (and the caption buttons) as Marlett glyphs: without that font they show digits.
TEST_F(MainWindowTest, TheFontsTheWindowDrawsWithArePresent) {
    EXPECT_EQ(FaceGivenFor(kUiFontFace), kUiFontFace);
    EXPECT_EQ(FaceGivenFor(L"Marlett"), L"Marlett");
    EXPECT_NE(FaceGivenFor(L"No Such Face Corvana"), L"No Such Face Corvana") << "a missing face is replaced";
}

TEST_F(MainWindowTest, TabOrderFollowsTheOptionPanel) {
    Start();
    std::vector<HWND> order;
    HWND h = form->Options().FormatBox();
    for (int i = 0; i < 7; ++i) {
        order.push_back(h);
        h = GetNextDlgTabItem(form->Handle(), h, FALSE);
    }
    EXPECT_EQ(order, (std::vector<HWND>{form->Options().FormatBox(), form->Options().AudioSettingsButton(),
                                        form->Options().NormalizeCheck(), form->Options().UseSourceFolderCheck(),
                                        form->Options().TargetFolderEdit(), form->Options().TargetFolderButton(),
                                        form->ConvertButton()}));
}

TEST_F(MainWindowTest, LayoutFollowsTheNinetySixDpiNumbers) {
    Start();
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, form->Scale(601));
    EXPECT_EQ(client.bottom, form->Scale(535));

    const RECT convert = ClientRectIn(form->Handle(), form->ConvertButton());
    EXPECT_EQ(convert.bottom - convert.top, form->Scale(37));
    EXPECT_EQ(client.right - convert.right, form->Scale(2));
    const RECT status = ClientRectIn(form->Handle(), form->StatusBarHandle());
    EXPECT_EQ(status.bottom, client.bottom) << "the hidden progress bar takes no room";
    EXPECT_EQ(status.bottom - status.top, form->Scale(19));
    const RECT list = ClientRectIn(form->Handle(), form->Files().Handle());
    const RECT splitter = ClientRectIn(form->Handle(), form->Splitter());
    EXPECT_EQ(list.right, splitter.left);
    EXPECT_EQ(splitter.right - splitter.left, form->Scale(5));
    EXPECT_EQ(client.right - splitter.right, form->Scale(238));
    for (HWND button : {form->Options().TargetFolderButton(), form->Options().AudioSettingsButton()}) {
        const RECT r = ClientRectIn(form->Handle(), button);
        EXPECT_EQ(r.right - r.left, form->Scale(41));
        EXPECT_EQ(r.bottom - r.top, form->Scale(25));
        EXPECT_EQ(r.right, client.right);
    }
    // The closed format list lines up with the gear button beside it.
    const RECT formats = ClientRectIn(form->Handle(), form->Options().FormatBox());
    const RECT gear = ClientRectIn(form->Handle(), form->Options().AudioSettingsButton());
    EXPECT_EQ(formats.top, gear.top);
    EXPECT_EQ(formats.bottom, gear.bottom);

    // Shown, the progress bar sits below the status bar.
    ShowWindow(form->ProgressBarHandle(), SW_SHOW);
    form->Layout();
    const RECT bar = ClientRectIn(form->Handle(), form->ProgressBarHandle());
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(bar.bottom - bar.top, form->Scale(17));
    EXPECT_EQ(ClientRectIn(form->Handle(), form->StatusBarHandle()).bottom, bar.top);
}

// Shrunk as far as it goes (here in the tallest state, with the progress bar of a run), the window
// keeps every control whole: nothing overlaps, nothing leaves the window, the list keeps a height.
TEST_F(MainWindowTest, ShrinkingStopsWhereEveryControlStaysWhole) {
    Start();
    ShowWindow(form->ProgressBarHandle(), SW_SHOW);
    form->Layout();
    SetWindowPos(form->Handle(), nullptr, 0, 0, 150, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT window, client;
    GetWindowRect(form->Handle(), &window);
    GetClientRect(form->Handle(), &client);
    EXPECT_GT(window.right - window.left, 150);
    EXPECT_GT(window.bottom - window.top, 120);

    const RECT toolBar = ClientRectIn(form->Handle(), form->ToolBar());
    const RECT status = ClientRectIn(form->Handle(), form->StatusBarHandle());
    const RECT progress = ClientRectIn(form->Handle(), form->ProgressBarHandle());
    const RECT list = ClientRectIn(form->Handle(), form->Files().Handle());
    const RECT convert = ClientRectIn(form->Handle(), form->ConvertButton());
    SIZE toolBarSize{};
    SendMessageW(form->ToolBar(), TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&toolBarSize));
    EXPECT_GE(client.right, toolBarSize.cx) << "every tool button shows";
    EXPECT_EQ(progress.bottom, client.bottom);
    EXPECT_EQ(status.bottom, progress.top);
    EXPECT_GE(status.top, toolBar.bottom);
    EXPECT_GT(list.bottom - list.top, 0);
    EXPECT_LE(convert.bottom, status.top) << "\"Convert\" stays above the status bar";
    for (HWND control :
         {form->Options().FormatBox(), form->Options().AudioSettingsButton(), form->Options().NormalizeCheck(),
          form->Options().UseSourceFolderCheck(), form->Options().TargetFolderEdit(),
          form->Options().TargetFolderButton(), form->ConvertButton()}) {
        const RECT r = ClientRectIn(form->Handle(), control);
        EXPECT_GE(r.top, toolBar.bottom);
        EXPECT_LE(r.bottom, status.top);
        EXPECT_LE(r.right, client.right);
        EXPECT_GT(r.right - r.left, 0);
    }
}

TEST_F(MainWindowTest, SplitterResizesListAndPanelWhileDragging) {
    Start();
    const RECT before = ClientRectIn(form->Handle(), form->Files().Handle());
    SendMessageW(form->Splitter(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    SendMessageW(form->Splitter(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-100), 10));
    const RECT during = ClientRectIn(form->Handle(), form->Files().Handle());
    const RECT convert = ClientRectIn(form->Handle(), form->ConvertButton());
    SendMessageW(form->Splitter(), WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-100), 10));
    EXPECT_NEAR(during.right, before.right - 102, 3) << "the list narrows before the button is released";
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_NEAR(convert.right - convert.left, form->Scale(238) + 102 - form->Scale(4), 3) << "the panel widens";
}

TEST_F(MainWindowTest, DpiChangeScalesTheLayout) {
    Start();
    RECT window;
    GetWindowRect(form->Handle(), &window);
    RECT suggested{window.left, window.top, window.left + 1300, window.top + 1200};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form->Dpi(), 192u);
    const RECT convert = ClientRectIn(form->Handle(), form->ConvertButton());
    EXPECT_EQ(convert.bottom - convert.top, 74);
    EXPECT_EQ(ListView_GetColumnWidth(form->Files().Handle(), 1), 142);
    RECT rc;
    SendMessageW(form->ToolBar(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
    EXPECT_EQ(rc.bottom - rc.top, 168);
}

// "File" takes the list's width beside "Result" whether a scroll bar shows or not: no horizontal
// scroll bar, and "Result" whole, as rows come and go.
TEST_F(MainWindowTest, TheColumnsFillTheListAsItsScrollBarComesAndGoes) {
    Start();
    const HWND list = form->Files().Handle();
    const auto check = [&](bool scrollBar, const char* when) {
        EXPECT_EQ((GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) != 0, scrollBar) << when;
        RECT client;
        GetClientRect(list, &client);
        EXPECT_EQ(ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1), client.right) << when;
        EXPECT_EQ(ListView_GetColumnWidth(list, 1), form->Scale(71)) << when;
        EXPECT_FALSE(GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL) << when;
    };
    check(false, "empty");
    std::vector<std::wstring> paths;
    for (int i = 0; i < 200; ++i) paths.push_back(L"C:\\music\\track " + std::to_wstring(i) + L".mp3");
    form->Files().AddPaths(paths);
    check(true, "200 rows");
    form->RunCommand(CMD_Clear);
    check(false, "cleared");
    for (const std::wstring& path : paths) form->Files().AddFile(path);
    check(true, "200 rows added one by one");
}

TEST_F(MainWindowTest, ExitEndsTheMessageLoop) {
    Start();
    EXPECT_FALSE(form->EndRequested());
    form->RunCommand(CMD_Exit);
    EXPECT_TRUE(form->EndRequested());
}

TEST(VersionRecord, ReadFromTheBuiltProgram) {
    const VersionRecord v = ReadVersionRecord(BuiltProgram());
    EXPECT_EQ(v.companyName, L"KALDERN");
    EXPECT_EQ(v.productName, L"Corvana");
    EXPECT_EQ(ReadAppVersion(BuiltProgram()), L"1.7");
}

TEST(VersionRecord, FileWithoutOneRaisesAndHasNoVersion) {
    TempFolder folder(L"noversion");
    WriteFileBytes(folder / L"plain.txt", "no version here");
    EXPECT_THROW(ReadVersionRecord(folder / L"plain.txt"), AppError);
    EXPECT_EQ(ReadAppVersion(folder / L"plain.txt"), L"65535.65535");
}

TEST(BuiltProgram, HoldsItsMutexAndShowsItsWindowWhileRunning) {
    TempFolder folder(L"process");
    const std::wstring exe = CopyProgramTo(folder.Path());
    ProgramProcess program(exe);
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"KALDERN_Corvana");
    EXPECT_NE(mutex, nullptr);
    if (mutex) CloseHandle(mutex);

    EXPECT_EQ(ControlText(main), L"KALDERN - Corvana");
    EXPECT_EQ(ControlText(GetDlgItem(main, IDC_ConvertButton)), L"Convert");
    EXPECT_EQ(ControlText(GetDlgItem(main, IDC_FormatLabel)), L"Output Format:");
    EXPECT_EQ(ControlText(GetDlgItem(main, IDC_UseSourceFolderCheck)), L"Use Source Folder");
    EXPECT_EQ(ControlText(GetDlgItem(main, IDC_TargetFolderEdit)), DesktopFolder());
    EXPECT_TRUE(PathExists(folder / L"settings.ini"));

    program.Close();
    EXPECT_TRUE(program.HasEnded());
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, L"KALDERN_Corvana"), nullptr) << "released with the process";
}

}  // namespace
}  // namespace corvana::test
