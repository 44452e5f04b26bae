// "Send to Recycle Bin" with the real shell: under Wine the Recycle Bin is the Linux user's XDG
// trash, where a recycled file is found by its name.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "common/paths.h"
#include "filelist/shell_actions_win.h"
#include "support/dialog_watcher.h"
#include "support/list_support.h"

namespace corvana::test {
namespace {

constexpr const wchar_t* kQuestion = L"Do you really want to send the selected item(s) to Recycle Bin?";

// The trash folder of Wine's Recycle Bin; empty when not running under Wine.
std::wstring TrashFiles() {
    wchar_t home[MAX_PATH]{};
    if (!GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH)) return L"";
    std::wstring path = home;
    if (path.rfind(L"\\??\\", 0) == 0) path.erase(0, 4);
    return path + L"\\.local\\share\\Trash\\files";
}

// Files this test sent to the trash, taken out again at the end.
class TrashWatch {
public:
    ~TrashWatch() {
        for (const auto& name : names_) {
            const std::wstring file = TrashFiles() + L"\\" + name;
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file.c_str());
            DeleteFileW((TrashFiles() + L"\\..\\info\\" + name + L".trashinfo").c_str());
        }
    }
    bool Holds(const std::wstring& name) {
        names_.push_back(name);
        return PathExists(TrashFiles() + L"\\" + name);
    }

private:
    std::vector<std::wstring> names_;
};

std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.rfind(L'\\') + 1);
}

class RecycleBin : public AppFixture {
protected:
    TempFolder work{L"recycle"};
    TrashWatch trash;
    // Names unique to this test, as they meet in the one trash of the user.
    std::wstring Make(const std::wstring& name) {
        const std::wstring path = work / (NameOf(work.Path()) + L"-" + name);
        WriteFileBytes(path, "audio");
        return path;
    }
    void SetUp() override {
        if (TrashFiles().empty()) GTEST_SKIP() << "finds recycled files in Wine's trash";
        // A desktop session makes the trash folders; a fresh user's home on a build machine has
        // none, and without them Wine has no Recycle Bin to move files to.
        const std::wstring trash = FolderOf(TrashFiles());
        for (const std::wstring& folder : {trash + L"\\files", trash + L"\\info"}) {
            const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
            ASSERT_TRUE(made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS) << made;
        }
    }
};

TEST_F(RecycleBin, YesRecyclesTheSelectedFilesAndRemovesOnlyTheirItems) {
    const std::wstring plain = Make(L"plain.mp3"), readOnly = Make(L"read-only.mp3"), open = Make(L"open.mp3"),
                       gone = Make(L"gone.mp3"), keep = Make(L"keep.mp3"), folder = work / L"folder.mp3";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    // Held open the way a player holds a file: others may read, not delete.
    const UniqueFileHandle held(
        CreateFileW(open.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    // Yes to the program's question; No wherever the shell asks whether to delete a file for good.
    DialogWatcher watcher([](const DialogSnapshot& d) {
        const int answer = d.caption == L"Confirmation" ? IDYES : IDNO;
        PostMessageW(d.hwnd, WM_COMMAND, answer, reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, answer)));
    });
    Start();
    const std::vector<std::wstring> selected{plain, readOnly, open, gone, folder};
    for (const auto& p : selected) form->Files().AddFile(p);
    form->Files().AddFile(keep);
    SelectCaptions(form->Files().Handle(), selected);
    DeleteFileW(gone.c_str());

    form->RunCommand(CMD_SendToRecycleBin);

    ASSERT_GE(watcher.Count(), 1u);
    const DialogSnapshot box = watcher.Seen()[0];
    EXPECT_EQ(box.caption, L"Confirmation");
    EXPECT_EQ(box.text, kQuestion);
    ASSERT_EQ(box.buttons.size(), 2u);
    EXPECT_EQ(box.buttons[0].text, L"Yes");
    EXPECT_EQ(box.buttons[1].text, L"No");
    EXPECT_EQ(box.defaultId, IDYES);

    EXPECT_FALSE(PathExists(plain));
    EXPECT_TRUE(trash.Holds(NameOf(plain)));
    // Whatever the shell does with a read-only or an open file: an item leaves the list exactly
    // when its file went to the Recycle Bin, and no file just disappears.
    for (const auto& p : {readOnly, open}) {
        const bool recycled = trash.Holds(NameOf(p));
        EXPECT_NE(recycled, PathExists(p)) << p;
        const auto captions = ListCaptions(form->Files().Handle());
        EXPECT_EQ(std::count(captions.begin(), captions.end(), p), recycled ? 0 : 1) << p;
    }
    const auto captions = ListCaptions(form->Files().Handle());
    for (const auto& p : {gone, folder, keep}) EXPECT_EQ(std::count(captions.begin(), captions.end(), p), 1) << p;
    EXPECT_EQ(std::count(captions.begin(), captions.end(), plain), 0);
    EXPECT_TRUE(DirectoryExists(folder)) << "a folder is not a file: skipped";
    EXPECT_TRUE(PathExists(keep));
    EXPECT_TRUE(SelectedPositions(form->Files().Handle()).empty());
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RecycleBin, NoMovesNothingButClearsTheSelection) {
    const std::wstring a = Make(L"a.mp3"), b = Make(L"b.mp3");
    DialogWatcher watcher(DialogWatcher::Press(IDNO), L"Confirmation");
    Start();
    form->Files().AddFile(a);
    form->Files().AddFile(b);
    SelectCaptions(form->Files().Handle(), {a, b});
    form->RunCommand(CMD_SendToRecycleBin);
    EXPECT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(ListCaptions(form->Files().Handle()), (std::vector<std::wstring>{a, b}));
    EXPECT_TRUE(PathExists(a) && PathExists(b));
    EXPECT_FALSE(trash.Holds(NameOf(a)));
    EXPECT_TRUE(SelectedPositions(form->Files().Handle()).empty());
}

TEST_F(RecycleBin, WithNothingSelectedNothingIsAsked) {
    const std::wstring a = Make(L"a.mp3");
    DialogWatcher watcher(DialogWatcher::Press(IDYES));
    Start();
    form->Files().AddFile(a);
    form->RunCommand(CMD_SendToRecycleBin);
    // The question is modal: had it been asked, the command would have returned only after the
    // watcher answered it, as in the test above. The short pause is for anything it left queued.
    PumpFor(50);
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_EQ(ListCaptions(form->Files().Handle()), (std::vector<std::wstring>{a}));
    EXPECT_TRUE(PathExists(a));
}

// A Recycle Bin that cannot take the file (a drive without one; here Wine's trash made
// unreachable for a child copy of this test program): the shell asks before it would delete the
// file for good, and No keeps both the file and its item. Without that question the file would
// simply be gone.
constexpr const wchar_t* kChildMarker = L"CORVANA_NO_RECYCLE_BIN_MARKER";

TEST(RecycleWithoutBin, ChildAnswersNoToTheShell) {
    wchar_t marker[MAX_PATH]{};
    if (!GetEnvironmentVariableW(kChildMarker, marker, MAX_PATH)) GTEST_SKIP() << "runs in the child of the next test";
    TempFolder work(L"nobin");
    const std::wstring file = work / L"song.mp3";
    WriteFileBytes(file, "audio");
    std::vector<std::wstring> shellCaptions;
    DialogWatcher watcher([&](const DialogSnapshot& d) {
        if (d.caption == L"Confirmation") {
            PostMessageW(d.hwnd, WM_COMMAND, IDYES, reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, IDYES)));
        } else {
            PostMessageW(d.hwnd, WM_COMMAND, IDNO, reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, IDNO)));
        }
    });
    {
        TempFolder app(L"nobin-app");
        const std::wstring exe = CopyProgramTo(app.Path());
        MainWindow form(exe, L"\"" + exe + L"\"");
        form.Create();
        form.Show(SW_SHOWNOACTIVATE);
        form.Files().AddFile(file);
        form.RunCommand(CMD_SelectAll);
        form.RunCommand(CMD_SendToRecycleBin);
        EXPECT_EQ(ListCaptions(form.Files().Handle()), (std::vector<std::wstring>{file}));
        EXPECT_TRUE(SelectedPositions(form.Files().Handle()).empty());
    }
    EXPECT_TRUE(PathExists(file));
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 2u) << "our question, then the shell's before deleting for good";
    EXPECT_EQ(seen[0].caption, L"Confirmation");
    EXPECT_NE(seen[1].caption, L"Confirmation");
    if (!testing::Test::HasFailure()) WriteFileBytes(marker, "passed");
}

TEST(RecycleWithoutBin, NoFileIsDeletedOutright) {
    if (TrashFiles().empty()) GTEST_SKIP() << "makes Wine's trash unreachable";
    TempFolder work(L"nobin-parent");
    const std::wstring marker = work / L"child passed";
    SetEnvironmentVariableW(kChildMarker, marker.c_str());
    // Wine keeps its trash below XDG_DATA_HOME; a folder that cannot be made leaves it without one.
    SetEnvironmentVariableW(L"XDG_DATA_HOME", L"/proc/corvana-no-trash");
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=RecycleWithoutBin.ChildAnswersNoToTheShell";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(kChildMarker, nullptr);
    SetEnvironmentVariableW(L"XDG_DATA_HOME", nullptr);
    ASSERT_TRUE(started);
    const UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(PathExists(marker)) << "the child ran its test";
}

}  // namespace
}  // namespace corvana::test
