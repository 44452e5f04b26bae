// Programs that come with Windows are named by their full path in the system's folders, never by a
// bare name that a search could find in the current or the program's folder first.
#include <gtest/gtest.h>

#include "win/system_win.h"

namespace corvana::test {
namespace {

TEST(SystemPrograms, AreFullPathsInTheSystemsFolders) {
    wchar_t windows[MAX_PATH]{}, system[MAX_PATH]{};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring explorer = WindowsFolderProgram(L"explorer.exe");
    const std::wstring notepad = SystemFolderProgram(L"notepad.exe");
    EXPECT_EQ(explorer, std::wstring(windows) + L"\\explorer.exe");
    EXPECT_EQ(notepad, std::wstring(system) + L"\\notepad.exe");
    for (const auto& program : {explorer, notepad}) EXPECT_TRUE(FileExists(program)) << program;
}

}  // namespace
}  // namespace corvana::test
