// The setup program of this build, run in the tests' own prefix the way a user runs it: what a
// silent install puts where, the installed program, Send To, installing over an install,
// uninstalling (silently and by the window), and the refusals with their messages.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "app/main_win.h"
#include "support/conversion_support.h"
#include "support/win_test_support.h"
#include "win/handles_win.h"

namespace corvana::test {
namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvana";

std::wstring SetupProgram() {
    return BuildDir() + L"\\Corvana-" CORVANA_VERSION_TEXT + (sizeof(void*) == 8 ? L"-win64" : L"-win32") +
           L"-setup.exe";
}

std::wstring PortableFolder() {
    return BuildDir() + L"\\portable\\Corvana-" CORVANA_VERSION_TEXT + (sizeof(void*) == 8 ? L"-win64" : L"-win32");
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &path))) return L"";
    std::wstring result = path;
    CoTaskMemFree(path);
    return result;
}

std::optional<std::wstring> EntryText(const wchar_t* name) {
    wchar_t value[1024]{};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<DWORD> EntryNumber(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

struct Shortcut {
    std::wstring target, arguments;
};

std::optional<Shortcut> ReadShortcut(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))))
        return std::nullopt;
    std::optional<Shortcut> result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&file)))) {
        wchar_t target[MAX_PATH]{}, arguments[1024]{};
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetArguments(arguments, 1024)))
            result = Shortcut{target, arguments};
        file->Release();
    }
    link->Release();
    return result;
}

std::vector<std::wstring> FolderContents(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
    if (find) {
        do
            if (std::wstring(fd.cFileName) != L"." && std::wstring(fd.cFileName) != L"..")
                names.push_back(fd.cFileName);
        while (FindNextFileW(find.get(), &fd));
    }
    std::sort(names.begin(), names.end());
    return names;
}

int64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Runs a program to its end; its exit status, or nothing when it has not ended within the time.
std::optional<DWORD> RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs = 120000) {
    ProgramProcess process(exe, arguments);
    if (!process.HasEnded(timeoutMs)) return std::nullopt;
    return process.ExitCode();
}

HWND MessageBoxOf(DWORD pid) {
    for (HWND box : WindowsOf(pid, L"#32770"))
        if (GetDlgItem(box, 0xFFFF)) return box;
    return nullptr;
}

// Runs a setup or uninstaller with its window until it shows a message box; returns the box's text
// and presses OK.
std::optional<std::wstring> MessageOf(const std::wstring& exe, const std::wstring& arguments) {
    ProgramProcess process(exe, arguments);
    std::optional<std::wstring> text;
    PumpUntil(
        [&] {
            if (HWND box = MessageBoxOf(process.ProcessId())) {
                text = ControlText(GetDlgItem(box, 0xFFFF));
                SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                return true;
            }
            return process.HasEnded();
        },
        60000);
    return text;
}

class Installer : public testing::Test {
protected:
    std::wstring folder = KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Corvana";
    std::wstring startMenu = KnownFolder(FOLDERID_Programs) + L"\\Corvana.lnk";
    std::wstring sendTo = KnownFolder(FOLDERID_SendTo) + L"\\Corvana.lnk";
    std::wstring userSettings = AppDataFolder() + L"\\KALDERN\\Corvana";
    TempFolder work{L"setup"};

    void SetUp() override {
        ASSERT_TRUE(PathExists(SetupProgram()))
            << "no " << testing::PrintToString(SetupProgram()) << "; the installer target makes it";
        RemoveEverything();
    }
    void TearDown() override { RemoveEverything(); }

    // Whatever an earlier run left: the program's folder, shortcuts, entry and settings.
    void RemoveEverything() {
        RemoveTree(folder);
        RemoveTree(userSettings);
        DeleteFileW(startMenu.c_str());
        DeleteFileW(sendTo.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    }
    void InstallSilently() { ASSERT_EQ(RunToEnd(SetupProgram(), L"/S"), 0u); }
    // The entry's quiet uninstall command, as the list of installed programs runs it. The
    // uninstaller goes on from a copy of itself, whose end is waited for.
    void UninstallSilently() {
        ASSERT_EQ(EntryText(L"QuietUninstallString"), L"\"" + folder + L"\\uninstall.exe\" /S");
        ASSERT_EQ(RunToEnd(folder + L"\\uninstall.exe", L"/S"), 0u);
        ASSERT_TRUE(PumpUntil([] { return RunningProcesses(L"Un.exe").empty(); }, 60000));
    }
};

TEST_F(Installer, SilentInstallPutsFilesShortcutsAndEntryInPlace) {
    InstallSilently();
    EXPECT_EQ(FolderContents(folder), (std::vector<std::wstring>{L"Corvana.exe", L"ffmpeg-license.txt", L"ffmpeg.exe",
                                                                 L"license.txt", L"uninstall.exe"}));
    int64_t total = 0;
    for (const wchar_t* name : {L"Corvana.exe", L"ffmpeg.exe", L"license.txt", L"ffmpeg-license.txt"}) {
        EXPECT_EQ(ReadFileBytes(folder + L"\\" + name), ReadFileBytes(PortableFolder() + L"\\" + name)) << name;
        total += FileSize(folder + L"\\" + name);
    }
    total += FileSize(folder + L"\\uninstall.exe");

    for (const auto& path : {startMenu, sendTo}) {
        const auto shortcut = ReadShortcut(path);
        ASSERT_TRUE(shortcut) << testing::PrintToString(path);
        EXPECT_EQ(shortcut->target, folder + L"\\Corvana.exe");
        EXPECT_EQ(shortcut->arguments, L"");
    }

    EXPECT_EQ(EntryText(L"DisplayName"), L"Corvana");
    EXPECT_EQ(EntryText(L"DisplayVersion"), L"" CORVANA_VERSION_TEXT);
    EXPECT_EQ(EntryText(L"Publisher"), L"KALDERN");
    EXPECT_EQ(EntryText(L"DisplayIcon"), folder + L"\\Corvana.exe");
    EXPECT_EQ(EntryText(L"InstallLocation"), folder);
    EXPECT_EQ(EntryText(L"UninstallString"), L"\"" + folder + L"\\uninstall.exe\"");
    EXPECT_EQ(EntryText(L"QuietUninstallString"), L"\"" + folder + L"\\uninstall.exe\" /S");
    const auto size = EntryNumber(L"EstimatedSize");  // in KiB
    ASSERT_TRUE(size);
    EXPECT_NEAR(static_cast<double>(*size), total / 1024.0, 8);
}

TEST_F(Installer, InstalledProgramConvertsAFile) {
    InstallSilently();
    MakeTone(work / L"tone.wav");
    EXPECT_EQ(RunToEnd(folder + L"\\Corvana.exe",
                       L"-input \"" + (work / L"tone.wav") + L"\" -output \"" + (work / L"tone.mp3") + L"\""),
              0u);
    EXPECT_TRUE(DecodesCleanly(work / L"tone.mp3"));
}

// Explorer's Send To starts the shortcut's program with every chosen file and folder, each quoted.
TEST_F(Installer, SendToPutsEveryFileAndFolderIntoTheList) {
    InstallSilently();
    const auto shortcut = ReadShortcut(sendTo);
    ASSERT_TRUE(shortcut);
    std::wstring commandLine = L"\"" + shortcut->target + L"\"";
    if (!shortcut->arguments.empty()) commandLine += L" " + shortcut->arguments;
    std::vector<std::wstring> expected;
    const wchar_t* names[] = {L"plain", L"two  spaces", L"caf\u00e9 cr\u00e8me", L"\u97f3\u697d \u30c6\u30b9\u30c8",
                              L"\u00dcml\u00e4ut & (1)"};
    for (int i = 0; i < 60; ++i) {
        const std::wstring path = work / (std::wstring(names[i % 5]) + L" " + std::to_wstring(i) + L".wav");
        WriteFileBytes(path, "");
        commandLine += L" \"" + path + L"\"";
        expected.push_back(path);
    }
    const std::wstring album = work / L"\u00e1lbum \u043f\u0435\u0441\u043d\u0438";
    CreateDirectoryW(album.c_str(), nullptr);
    WriteFileBytes(album + L"\\01 \u00e9t\u00e9.flac", "");
    commandLine += L" \"" + album + L"\"";
    expected.push_back(album + L"\\01 \u00e9t\u00e9.flac");

    std::vector<std::wstring> listed;
    {
        MainWindow form(shortcut->target, commandLine);
        form.Create();
        form.Show(SW_SHOWNOACTIVATE);
        const HWND list = form.Files().Handle();
        PumpUntil([&] { return ListView_GetItemCount(list) >= static_cast<int>(expected.size()); });
        for (int i = 0; i < ListView_GetItemCount(list); ++i) listed.push_back(RowText(list, i, 0));
    }
    EXPECT_EQ(listed, expected);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST_F(Installer, InstallingOverAnInstallKeepsTheSettings) {
    InstallSilently();
    const std::string settings = "[Settings]\r\nFormat=FLAC\r\n";
    WriteFileBytes(folder + L"\\settings.ini", settings);
    WriteFileBytes(folder + L"\\Corvana.exe", "an older program");
    InstallSilently();
    EXPECT_EQ(ReadFileBytes(folder + L"\\settings.ini"), settings);
    EXPECT_EQ(ReadFileBytes(folder + L"\\Corvana.exe"), ReadFileBytes(PortableFolder() + L"\\Corvana.exe"));
}

TEST_F(Installer, SilentUninstallLeavesNothingButTheSettings) {
    InstallSilently();
    UninstallSilently();
    EXPECT_FALSE(PathExists(folder)) << "without settings the folder goes too";

    InstallSilently();
    WriteFileBytes(folder + L"\\settings.ini", "[Settings]\r\n");
    UninstallSilently();
    EXPECT_EQ(FolderContents(folder), std::vector<std::wstring>{L"settings.ini"});
    EXPECT_FALSE(PathExists(startMenu));
    EXPECT_FALSE(PathExists(sendTo));
    EXPECT_FALSE(EntryText(L"DisplayName"));
}

TEST_F(Installer, UninstallerRemovesTheSettingsWhenAsked) {
    InstallSilently();
    WriteFileBytes(folder + L"\\settings.ini", "[Settings]\r\n");
    CreateDirectoryW((AppDataFolder() + L"\\KALDERN").c_str(), nullptr);
    CreateDirectoryW(userSettings.c_str(), nullptr);
    WriteFileBytes(userSettings + L"\\settings.ini", "[Settings]\r\n");

    ProgramProcess uninstaller(folder + L"\\uninstall.exe");
    HWND window = nullptr, box = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (HWND w : TopLevelWindows())
                if (IsWindowVisible(w) && ControlText(w) == L"Corvana Uninstall") window = w;
            if (window)
                for (HWND child : ChildWindows(window))
                    if (ControlText(child) == L"Also remove my settings") box = child;
            return box != nullptr;
        },
        30000));
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "settings stay unless asked";
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(ControlText(GetDlgItem(window, IDOK)), L"&Uninstall");
    SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([] { return RunningProcesses(L"Un.exe").empty(); }, 60000));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_FALSE(PathExists(userSettings));
    EXPECT_FALSE(EntryText(L"DisplayName"));
}

TEST_F(Installer, NeitherInstallsNorUninstallsWhileCorvanaRuns) {
    InstallSilently();
    ProgramProcess running(folder + L"\\Corvana.exe");
    ASSERT_TRUE(running.WaitForMainWindow());
    // Run in place (_?=) so that its own exit status comes back.
    EXPECT_EQ(RunToEnd(folder + L"\\uninstall.exe", L"/S _?=" + folder), 2u);
    EXPECT_EQ(RunToEnd(SetupProgram(), L"/S"), 2u);
    EXPECT_TRUE(PathExists(folder + L"\\Corvana.exe"));
    EXPECT_TRUE(EntryText(L"DisplayName"));
    const auto message = MessageOf(folder + L"\\uninstall.exe", L"_?=" + folder);
    ASSERT_TRUE(message);
    EXPECT_NE(message->find(L"Corvana is running"), std::wstring::npos) << testing::PrintToString(*message);
    running.Close();
    EXPECT_EQ(RunToEnd(folder + L"\\uninstall.exe", L"/S _?=" + folder), 0u) << "once it has ended";
}

TEST_F(Installer, ASecondUninstallAndAMissingFolderSaySoAndChangeNothing) {
    InstallSilently();
    const std::wstring copy = work / L"uninstall.exe";
    ASSERT_TRUE(CopyFileW((folder + L"\\uninstall.exe").c_str(), copy.c_str(), FALSE));
    WriteFileBytes(folder + L"\\settings.ini", "[Settings]\r\n");
    UninstallSilently();

    EXPECT_EQ(RunToEnd(copy, L"/S _?=" + folder), 2u);
    EXPECT_EQ(FolderContents(folder), std::vector<std::wstring>{L"settings.ini"}) << "the settings stay";
    const auto message = MessageOf(copy, L"_?=" + folder);
    ASSERT_TRUE(message);
    EXPECT_NE(message->find(L"Corvana is not installed in \"" + folder + L"\""), std::wstring::npos)
        << testing::PrintToString(*message);

    const std::wstring missing = work / L"no such folder";
    EXPECT_EQ(RunToEnd(copy, L"/S _?=" + missing), 2u);
    EXPECT_FALSE(PathExists(missing));
}

// Wine lets this test's user (root on the build machines) write anywhere on its drives except
// where Linux lets no one write: /proc. (The setup's own folder page already stops there, as it
// finds no free space, so only the silent setup reaches the refusal.)
TEST_F(Installer, AFolderThatCannotBeWrittenToIsRefused) {
    EXPECT_EQ(RunToEnd(SetupProgram(), L"/S /D=Z:\\proc\\Corvana"), 2u);
    EXPECT_FALSE(EntryText(L"DisplayName"));
    EXPECT_FALSE(PathExists(startMenu));
    EXPECT_FALSE(PathExists(folder));
}

}  // namespace
}  // namespace corvana::test
