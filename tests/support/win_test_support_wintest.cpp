#include "support/win_test_support.h"

#include <shlobj.h>

#include <algorithm>

#include "common/text.h"
#include "support/dialog_watcher.h"

namespace corvana::test {

namespace {

std::wstring LinuxToWindowsPath(const char* linuxPath) {
    std::wstring path = L"Z:" + *DecodeUtf8(linuxPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

}  // namespace

TempFolder::TempFolder(const std::wstring& hint) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(temp) + hint + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter) + L"-" + std::to_wstring(GetTickCount());
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

std::wstring BuildDir() {
    return LinuxToWindowsPath(CORVANA_BUILD_DIR);
}
std::wstring SourceDir() {
    return LinuxToWindowsPath(CORVANA_SOURCE_DIR);
}
std::wstring BuiltProgram() {
    return BuildDir() + L"\\Corvana.exe";
}
std::wstring BuiltFFmpeg() {
    return BuildDir() + L"\\ffmpeg.exe";
}

std::wstring CopyProgramTo(const std::wstring& folder) {
    const std::wstring target = folder + L"\\Corvana.exe";
    CopyFileW(BuiltProgram().c_str(), target.c_str(), FALSE);
    return target;
}

// The tests' own way to reach long paths, independent of the program's: the extended form of an
// absolute path once it is too long for the plain one.
static std::wstring AnyLength(const std::wstring& path) {
    return path.size() >= 248 && path.rfind(L"\\\\", 0) != 0 ? L"\\\\?\\" + path : path;
}

std::wstring DeepPath(const std::wstring& base, size_t length, const std::wstring& ending, bool makeFolders) {
    std::wstring path = base;
    if (makeFolders) CreateDirectoryW(AnyLength(path).c_str(), nullptr);
    for (int n = 1; length > path.size() + 101; ++n) {
        std::wstring part = L"Folder " + std::to_wstring(n) + L" \u00E9";
        part.resize(60, L'd');
        path += L"\\" + part;
        if (makeFolders) CreateDirectoryW(AnyLength(path).c_str(), nullptr);
    }
    path += L"\\";
    path.resize(length - ending.size(), L'n');
    return path + ending;
}

std::vector<std::wstring> EntriesBelow(const std::wstring& folder) {
    std::vector<std::wstring> entries;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(AnyLength(folder + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back(folder + L"\\" + name);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            for (auto& below : EntriesBelow(entries.back())) entries.push_back(std::move(below));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return entries;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(AnyLength(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(AnyLength(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (h == INVALID_HANDLE_VALUE) return;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(AnyLength(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(AnyLength(path + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(AnyLength(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(AnyLength(child).c_str());
            }
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    SetFileAttributesW(AnyLength(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(AnyLength(path).c_str());
}

static std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH]{};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring DesktopFolder() {
    return Folder(CSIDL_DESKTOP);
}
std::wstring AppDataFolder() {
    return Folder(CSIDL_APPDATA);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

void SendMouseAt(DWORD flags, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
    PumpFor(50);
}

ProgramProcess::ProgramProcess(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_);
}

ProgramProcess::~ProgramProcess() {
    Close();
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
    if (pi_.hThread) CloseHandle(pi_.hThread);
}

namespace {

BOOL CALLBACK AppendWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::wstring ClassNameOf(HWND hwnd) {
    wchar_t name[256]{};
    GetClassNameW(hwnd, name, 256);
    return name;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(AppendWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, AppendWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ThreadWindows(DWORD threadId) {
    std::vector<HWND> windows;
    EnumThreadWindows(threadId, AppendWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND hwnd : TopLevelWindows())
        if (ProcessOf(hwnd) == pid && (!className || (ClassNameOf(hwnd) == className && IsWindowVisible(hwnd))))
            found.push_back(hwnd);
    return found;
}

HWND ProgramProcess::WaitForMainWindow(DWORD timeoutMs) {
    HWND found = nullptr;
    PumpUntil(
        [&] {
            const auto windows = WindowsOf(pi_.dwProcessId, L"TAppForm");
            if (!windows.empty()) found = windows.front();
            return found != nullptr || HasEnded();
        },
        timeoutMs);
    return found;
}

void ProgramProcess::Close() {
    if (!pi_.hProcess || HasEnded()) return;
    for (HWND hwnd : WindowsOf(pi_.dwProcessId, nullptr)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (!HasEnded(10000)) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
}

bool ProgramProcess::HasEnded(DWORD waitMs) const {
    return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, waitMs) == WAIT_OBJECT_0;
}

DWORD ProgramProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (pi_.hProcess) GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

std::wstring ControlText(HWND control) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    text.resize(std::min<size_t>(copied, length));
    return text;
}

MessageBoxWatcher::MessageBoxWatcher(int answer, DWORD processId)
    : answer_(answer), processId_(processId), thread_([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<MessageBoxWatcher::Box> MessageBoxWatcher::Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

size_t MessageBoxWatcher::Count() const {
    std::lock_guard lock(mutex_);
    return boxes_.size();
}

void MessageBoxWatcher::Run() {
    while (!stop_) {
        for (HWND dialog : WindowsOf(processId_, L"#32770")) {
            {
                std::lock_guard lock(mutex_);
                if (std::find(answered_.begin(), answered_.end(), dialog) != answered_.end()) continue;
                answered_.push_back(dialog);
            }
            const DialogSnapshot snapshot = DialogWatcher::Snapshot(dialog);
            Box box{snapshot.caption, snapshot.text};
            {
                std::lock_guard lock(mutex_);
                boxes_.push_back(box);
            }
            const int answer = answer_;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
        }
        Sleep(30);
    }
}

}  // namespace corvana::test
