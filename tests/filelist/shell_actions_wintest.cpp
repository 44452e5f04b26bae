#include "filelist/shell_actions_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "support/dialog_watcher.h"
#include "support/list_support.h"

namespace corvana::test {
namespace {

// ---- What counts as a file ----

struct ExistsCase {
    const char* name;
    const wchar_t* path;  // below the test's folder
    bool file;
};

class IsExistingFileTest : public testing::TestWithParam<ExistsCase> {};

TEST_P(IsExistingFileTest, AFolderIsNotAFile) {
    TempFolder work(L"exists");
    WriteFileBytes(work / L"song.mp3", "x");
    WriteFileBytes(work / L"\u00E9t\u00E9 \u97F3.mp3", "x");
    CreateDirectoryW((work / L"x.mp3").c_str(), nullptr);
    WriteFileBytes(work / L"hidden.wav", "x");
    SetFileAttributesW((work / L"hidden.wav").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(IsExistingFile(work / GetParam().path), GetParam().file);
    SetFileAttributesW((work / L"hidden.wav").c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Paths, IsExistingFileTest,
                         testing::Values(ExistsCase{"File", L"song.mp3", true},
                                         ExistsCase{"NonAscii", L"\u00E9t\u00E9 \u97F3.mp3", true},
                                         ExistsCase{"HiddenReadOnly", L"hidden.wav", true},
                                         ExistsCase{"FolderNamedLikeAFile", L"x.mp3", false},
                                         ExistsCase{"Missing", L"gone.mp3", false},
                                         ExistsCase{"BelowAFile", L"song.mp3\\inner.mp3", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The loop of "Open", "Show in Explorer" and "Properties": the action for each existing file in
// order, one beep for each other item.
TEST(ForEachExistingFile, ActsOnFilesAndBeepsForTheRest) {
    TempFolder work(L"each");
    WriteFileBytes(work / L"1.mp3", "x");
    WriteFileBytes(work / L"3.mp3", "x");
    CreateDirectoryW((work / L"4.mp3").c_str(), nullptr);
    std::vector<std::wstring> acted;
    int beeps = 0;
    ForEachExistingFile(
        {work / L"1.mp3", work / L"2.mp3", work / L"3.mp3", work / L"4.mp3"},
        [&](const std::wstring& p) { acted.push_back(p); }, [&] { ++beeps; });
    EXPECT_EQ(acted, (std::vector<std::wstring>{work / L"1.mp3", work / L"3.mp3"}));
    EXPECT_EQ(beeps, 2);
}

// ---- The shell commands on the real window ----

class ShellActions : public AppFixture {
protected:
    TempFolder work{L"shell"};
    std::wstring Make(const std::wstring& name) {
        WriteFileBytes(work / name, "x");
        return work / name;
    }
    void AddAndSelect(const std::vector<std::wstring>& selected, const std::vector<std::wstring>& others = {}) {
        for (const auto& p : selected) form->Files().AddFile(p);
        for (const auto& p : others) form->Files().AddFile(p);
        SelectCaptions(form->Files().Handle(), selected);
    }
};

// A file type of the test's own whose "open" command copies the opened file into a folder.
// Registered among the classes of the test prefix's machine: Wine 8 does not look for file types
// among the user's own classes.
class OpenCopiesType {
public:
    explicit OpenCopiesType(const std::wstring& folder) {
        Set(L".cvopentest", L"CorvanaTest.OpenCopies");
        Set(L"CorvanaTest.OpenCopies\\shell\\open\\command", L"cmd.exe /C copy \"%1\" \"" + folder + L"\"");
    }
    ~OpenCopiesType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".cvopentest");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CorvanaTest.OpenCopies");
    }

private:
    static void Set(const wchar_t* key, const std::wstring& value) {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), 0);
        RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }
};

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ShellActions, OpenStartsTheAssociatedProgramForEachExistingFile) {
    const std::wstring opened = work / L"opened";
    CreateDirectoryW(opened.c_str(), nullptr);
    OpenCopiesType type(opened);
    const std::wstring first = Make(L"first.cvopentest"), third = Make(L"third, one.cvopentest");
    CreateDirectoryW((work / L"folder.cvopentest").c_str(), nullptr);
    Start();
    AddAndSelect({first, work / L"second.cvopentest", work / L"folder.cvopentest", third});
    form->RunCommand(CMD_Open);
    // The shell has started every copy by the time the command returns: once none is left running,
    // whatever they were going to copy is there.
    EXPECT_TRUE(PumpUntil([&] { return FilesIn(opened).size() >= 2 && RunningProcesses(L"cmd.exe").empty(); }, 20000));
    EXPECT_EQ(FilesIn(opened), (std::vector<std::wstring>{L"first.cvopentest", L"third, one.cvopentest"}));
}

struct TopWindow {
    HWND hwnd;
    std::wstring title;
};

std::vector<TopWindow> ExplorerWindows() {
    std::vector<TopWindow> found;
    for (HWND h : TopLevelWindows())
        if (IsWindowVisible(h) && ClassNameOf(h) == L"ExplorerWClass") found.push_back({h, ControlText(h)});
    return found;
}

// Wine's file manager shows the folder of the selected file, titled with the folder's name.
TEST_F(ShellActions, ShowInExplorerOpensAWindowForEachExistingFile) {
    const std::wstring oneFolder = work / L"one, two", otherFolder = work / L"other folder";
    CreateDirectoryW(oneFolder.c_str(), nullptr);
    CreateDirectoryW(otherFolder.c_str(), nullptr);
    const std::wstring a = Make(L"one, two\\a, b.mp3"), b = Make(L"other folder\\b c.mp3");
    Start();
    ASSERT_TRUE(ExplorerWindows().empty());
    AddAndSelect({a, work / L"missing.mp3", b});
    const std::vector<DWORD> before = RunningProcesses(L"explorer.exe");
    form->RunCommand(CMD_ShowFileInExplorer);
    // The shell has started every file manager by the time the command returns; each one started
    // either shows its window or ends, so once all have, no other window is on its way.
    std::vector<DWORD> started;
    for (DWORD pid : RunningProcesses(L"explorer.exe"))
        if (std::find(before.begin(), before.end(), pid) == before.end()) started.push_back(pid);
    EXPECT_GE(started.size(), 2u);
    EXPECT_TRUE(PumpUntil(
        [&] {
            const auto running = RunningProcesses(L"explorer.exe");
            const auto windows = ExplorerWindows();
            return windows.size() >= 2 && std::all_of(started.begin(), started.end(), [&](DWORD pid) {
                       return std::find(running.begin(), running.end(), pid) == running.end() ||
                              std::any_of(windows.begin(), windows.end(), [&](const TopWindow& w) {
                                  return ProcessOf(w.hwnd) == pid && !w.title.empty();
                              });
                   });
        },
        20000));
    std::vector<std::wstring> titles;
    for (const auto& w : ExplorerWindows()) titles.push_back(w.title);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"one, two", L"other folder"}));
    for (const auto& w : ExplorerWindows()) PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([] { return ExplorerWindows().empty(); }, 10000));
}

// The shell shows a window of this process for each existing file: the properties sheet on
// Windows; Wine 8 has no properties sheet for a file and shows its "Error" box instead, so only
// that one window per file is checked here, not its content.
TEST_F(ShellActions, PropertiesAsksTheShellOnlyForExistingFiles) {
    const std::wstring a = Make(L"a.mp3"), c = Make(L"c.mp3"), e = Make(L"e.mp3");
    CreateDirectoryW((work / L"d.mp3").c_str(), nullptr);
    DialogWatcher watcher([](const DialogSnapshot& d) {
        PostMessageW(d.hwnd, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(d.hwnd, WM_CLOSE, 0, 0);
    });
    Start();
    AddAndSelect({a, work / L"b.mp3", c, work / L"d.mp3", e});
    form->RunCommand(CMD_Properties);
    EXPECT_TRUE(PumpUntil([&] { return watcher.Count() >= 3; }, 20000));
    // The items go in list order, so once the file after the missing one and the folder has its
    // window, theirs would have come before it.
    SelectCaptions(form->Files().Handle(), {work / L"b.mp3", work / L"d.mp3", e});
    form->RunCommand(CMD_Properties);
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 4; }, 20000));
    EXPECT_EQ(watcher.Count(), 4u) << "a missing file and a folder only beep";
}

}  // namespace
}  // namespace corvana::test
