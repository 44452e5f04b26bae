#include <windowsx.h>

#include <set>

#include "common/text.h"
#include "support/app_fixture.h"
#include "support/dialog_watcher.h"

namespace corvana::test {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::string FileWithDestination(const std::wstring& destination, const std::string& more = "") {
    return kBom + "[Settings]\r\nDestination=" + EncodeUtf8(destination) + "\r\n" + more + "\r\n";
}

class OutputFolder : public AppFixture {
protected:
    void Restart() {
        form.reset();
        PumpFor(10);
        Start();
    }
    void Type(HWND edit, wchar_t c) { SendMessageW(edit, WM_CHAR, c, 1); }
    void ClickSourceFolder() { SendMessageW(form->Options().UseSourceFolderCheck(), BM_CLICK, 0, 0); }
};

TEST_F(OutputFolder, EveryKeystrokeIsStoredAtOnce) {
    Start();
    SetFocus(form->Options().TargetFolderEdit());
    Edit_SetSel(form->Options().TargetFolderEdit(), 0, -1);
    SendMessageW(form->Options().TargetFolderEdit(), WM_CLEAR, 0, 0);
    EXPECT_EQ(ReadFileBytes(ini), FileWithDestination(L""));
    const std::wstring typed = L"D:\\Müzik";
    for (size_t i = 0; i < typed.size(); ++i) {
        Type(form->Options().TargetFolderEdit(), typed[i]);
        EXPECT_EQ(ReadFileBytes(ini), FileWithDestination(typed.substr(0, i + 1))) << "after key " << i;
    }
}

TEST_F(OutputFolder, ClearedFieldStaysEmptyAtTheNextStart) {
    Start();
    SetWindowTextW(form->Options().TargetFolderEdit(), L"");
    Restart();
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), L"");
    EXPECT_EQ(ReadFileBytes(ini), FileWithDestination(L""));
}

TEST_F(OutputFolder, UseSourceFolderHidesTheFieldAndIsRemembered) {
    WriteFileBytes(ini, FileWithDestination(L"C:\\Out"));
    Start();
    ClickSourceFolder();
    EXPECT_FALSE(IsWindowVisible(form->Options().TargetFolderEdit()));
    EXPECT_FALSE(IsWindowVisible(form->Options().TargetFolderButton()));
    EXPECT_TRUE(IsWindowVisible(form->Options().TargetFolderLabel()));
    EXPECT_EQ(ReadFileBytes(ini), FileWithDestination(L"C:\\Out", "UseSourceFolder=ON\r\n"));

    Restart();
    EXPECT_EQ(Button_GetCheck(form->Options().UseSourceFolderCheck()), BST_CHECKED);
    EXPECT_FALSE(IsWindowVisible(form->Options().TargetFolderEdit()));
    EXPECT_FALSE(IsWindowVisible(form->Options().TargetFolderButton()));

    ClickSourceFolder();
    EXPECT_TRUE(IsWindowVisible(form->Options().TargetFolderEdit()));
    EXPECT_TRUE(IsWindowVisible(form->Options().TargetFolderButton()));
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), L"C:\\Out");
    EXPECT_EQ(ReadFileBytes(ini), FileWithDestination(L"C:\\Out", "UseSourceFolder=OFF\r\n"));
}

struct ChangeCase {
    const char* name;
    std::wstring foldername;
    bool applies;
};

class SetTargetFolder : public AppFixture, public testing::WithParamInterface<ChangeCase> {};

TEST_P(SetTargetFolder, TakesAnyNonBlankNameAsItIs) {
    TempFolder last(L"last");
    WriteFileBytes(ini, FileWithDestination(L"C:\\Before"));
    Start();
    form->Files().AddFolderContents(last.Path());  // loading a folder makes it the last folder
    ASSERT_EQ(form->LastFolder(), last.Path());
    form->Options().SetTargetFolder(GetParam().foldername);
    const std::wstring expected = GetParam().applies ? GetParam().foldername : L"C:\\Before";
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), expected);
    EXPECT_EQ(form->LastFolder(), GetParam().applies ? GetParam().foldername : last.Path());
    EXPECT_EQ(ReadFileBytes(ini), FileWithDestination(expected));
}

INSTANTIATE_TEST_SUITE_P(Names, SetTargetFolder,
                         testing::Values(ChangeCase{"Empty", L"", false}, ChangeCase{"Blanks", L" \t ", false},
                                         ChangeCase{"ControlCharacters", L"\x01\x1F", false},
                                         ChangeCase{"Plain", L"E:\\Music", true},
                                         ChangeCase{"SurroundingBlanksKept", L"  E:\\Music ", true},
                                         ChangeCase{"SameAsField", L"C:\\Before", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The folder dialog is found by its title; its name field is control 1152.
class FolderDialog : public AppFixture {
protected:
    static std::wstring NameField(const DialogSnapshot& d) {
        for (const auto& c : d.controls)
            if (c.id == 1152) return c.text;
        return L"<none>";
    }
};

TEST_F(FolderDialog, OpensInLastFolderAndCancelChangesNothing) {
    TempFolder last(L"last");
    Start();
    const std::wstring field = GetWindowTextString(form->Options().TargetFolderEdit());
    const std::string file = ReadFileBytes(ini);
    form->Files().AddFolderContents(last.Path());  // loading a folder makes it the last folder
    DialogWatcher watcher(DialogWatcher::Press(IDCANCEL), L"Select folder:");
    SendMessageW(form->Options().TargetFolderButton(), BM_CLICK, 0, 0);
    ASSERT_EQ(watcher.Count(), 1u);
    const DialogSnapshot d = watcher.Seen().front();
    EXPECT_EQ(NameField(d), last.Path());
    EXPECT_EQ(d.buttons.front().text, L"Select");
    EXPECT_EQ(form->LastFolder(), last.Path());
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), field);
    EXPECT_EQ(ReadFileBytes(ini), file);
}

TEST_F(FolderDialog, WithoutLastFolderTheNameFieldIsEmpty) {
    Start();
    DialogWatcher watcher(DialogWatcher::Press(IDCANCEL), L"Select folder:");
    form->RunCommand(CMD_ChangeTargetFolder);
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(NameField(watcher.Seen().front()), L"");
    EXPECT_EQ(form->LastFolder(), L"");
}

TEST_F(FolderDialog, ChosenFolderBecomesTargetAndLastFolder) {
    TempFolder chosen(L"chosen");
    Start();
    DialogWatcher watcher(DialogWatcher::TypeNameAndConfirm(chosen.Path()), L"Select folder:");
    form->RunCommand(CMD_ChangeTargetFolder);
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(form->LastFolder(), chosen.Path());
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), chosen.Path());
    EXPECT_EQ(ReadFileBytes(ini), FileWithDestination(chosen.Path()));
}

// "Show in Explorer" opens the folder in the file manager, a window of another process titled
// with the folder's name.
class ShowInExplorer : public AppFixture {
protected:
    std::wstring originalCurrent_;
    void SetUp() override {
        wchar_t current[MAX_PATH]{};
        GetCurrentDirectoryW(MAX_PATH, current);
        originalCurrent_ = current;
    }
    void TearDown() override {
        SetCurrentDirectoryW(originalCurrent_.c_str());
        AppFixture::TearDown();
    }

    // The visible top-level windows of other processes (Explorer's among them).
    static std::set<HWND> OtherProcessesWindows() {
        std::set<HWND> windows;
        for (HWND hwnd : TopLevelWindows())
            if (ProcessOf(hwnd) != GetCurrentProcessId() && IsWindowVisible(hwnd)) windows.insert(hwnd);
        return windows;
    }

    static HWND FindExplorerWindow(const std::wstring& title) {
        for (HWND hwnd : OtherProcessesWindows())
            if (ControlText(hwnd) == title) return hwnd;
        return nullptr;
    }

    void ExpectOpened(const std::wstring& name) {
        HWND window = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (window = FindExplorerWindow(name)) != nullptr; }, 15000));
        if (window) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            PumpUntil([&] { return !IsWindow(window); }, 5000);
        }
    }

    void Show(const std::wstring& text) {
        SetWindowTextW(form->Options().TargetFolderEdit(), text.c_str());
        SendMessageW(form->Handle(), WM_COMMAND, CMD_ShowTargetFolder, 0);
    }
};

TEST_F(ShowInExplorer, MissingFolderIsCreatedWithItsParentsAndOpened) {
    TempFolder base(L"explore");
    Start();
    const std::wstring target = base / L"one\\two\\Three";
    Show(target + L"\\");
    EXPECT_TRUE(DirectoryExists(target));
    ExpectOpened(L"Three");
}

TEST_F(ShowInExplorer, RelativeFolderIsTakenFromTheCurrentFolder) {
    TempFolder base(L"relative");
    Start();
    SetCurrentDirectoryW(base.Path().c_str());
    Show(L"rel\\Inner");
    EXPECT_TRUE(DirectoryExists(base / L"rel\\Inner"));
    ExpectOpened(L"Inner");
}

TEST_F(ShowInExplorer, EmptyFieldIsReportedAndNothingOpens) {
    Start();
    MessageBoxWatcher watcher;
    Show(L"");
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }));
    EXPECT_EQ(watcher.Boxes().front().caption, L"Corvana");
    EXPECT_EQ(watcher.Boxes().front().text, L"Unable to create directory.");
}

struct UncreatableCase {
    const char* name;
    std::wstring relative;  // under the test's folder, unless absolute
    bool absolute;
};

class ShowInExplorerUncreatable : public ShowInExplorer, public testing::WithParamInterface<UncreatableCase> {};

// No box and no window: the default beep is all the user gets.
TEST_P(ShowInExplorerUncreatable, CreatesNothingAndReportsNothing) {
    TempFolder base(L"bad");
    WriteFileBytes(base / L"file.txt", "x");
    Start();
    const std::wstring text = GetParam().absolute ? GetParam().relative : base / GetParam().relative;
    const std::set<HWND> before = OtherProcessesWindows();
    MessageBoxWatcher watcher;
    Show(text);
    EXPECT_EQ(watcher.Count(), 0u);
    // A folder that can be shown, asked for next: once its window is up, a window for the text
    // before it would have come too.
    Show(base / L"Shown Next");
    HWND shownNext = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (shownNext = FindExplorerWindow(L"Shown Next")) != nullptr; }, 15000));
    std::vector<std::wstring> opened;
    for (HWND hwnd : OtherProcessesWindows())
        if (!before.count(hwnd) && hwnd != shownNext) opened.push_back(ControlText(hwnd));
    PostMessageW(shownNext, WM_CLOSE, 0, 0);
    PumpUntil([&] { return !IsWindow(shownNext); }, 5000);
    EXPECT_TRUE(opened.empty()) << testing::PrintToString(opened);
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_FALSE(DirectoryExists(text));
    EXPECT_EQ(ReadFileBytes(base / L"file.txt"), "x");
}

INSTANTIATE_TEST_SUITE_P(Texts, ShowInExplorerUncreatable,
                         testing::Values(UncreatableCase{"NamesAFile", L"file.txt", false},
                                         UncreatableCase{"BelowAFile", L"file.txt\\sub", false},
                                         UncreatableCase{"MissingDrive", L"Q:\\Corvana\\out", true},
                                         UncreatableCase{"ForbiddenCharacters", L"a|b<c>", false},
                                         UncreatableCase{"Blanks", L"   ", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvana::test
