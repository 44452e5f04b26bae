// Helpers for the Windows-side tests: temporary folders, the built program, files, message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvana::test {

// A folder under %TEMP% that is removed with everything in it at the end of the test.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& hint = L"corvana");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The build folder of the Windows program as a Windows path, and the files in it.
std::wstring BuildDir();
std::wstring SourceDir();
std::wstring BuiltProgram();  // Corvana.exe
std::wstring BuiltFFmpeg();   // ffmpeg.exe beside it
// Copies the built program into a folder; returns the copy's path.
std::wstring CopyProgramTo(const std::wstring& folder);

// A path of exactly `length` characters below base that ends in `ending`, in folders of at most a
// hundred characters (longer names than file systems allow would fail for that reason alone).
// With makeFolders, base and every folder on the way are created; the last part never is.
std::wstring DeepPath(const std::wstring& base, size_t length, const std::wstring& ending, bool makeFolders = true);
// Every file and folder below the folder, at any depth.
std::vector<std::wstring> EntriesBelow(const std::wstring& folder);

// These take paths of any length.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool PathExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);
std::wstring DesktopFolder();
std::wstring AppDataFolder();

// Lets window messages run until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
void PumpFor(DWORD ms);
// One event of the real mouse at a point of the screen (a move, with flags such as
// MOUSEEVENTF_LEFTDOWN), handled before it returns.
void SendMouseAt(DWORD flags, POINT at);

// A running copy of the program in another process.
class ProgramProcess {
public:
    ProgramProcess(const std::wstring& exe, const std::wstring& arguments = L"");
    ~ProgramProcess();
    HWND WaitForMainWindow(DWORD timeoutMs = 20000);
    // Asks the program to close and waits for it; ends it by force when it does not.
    void Close();
    bool HasEnded(DWORD waitMs = 0) const;
    DWORD ProcessId() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }
    // The exit status once it has ended (STILL_ACTIVE before).
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION pi_{};
};

std::wstring ControlText(HWND control);  // works across processes
std::wstring ClassNameOf(HWND hwnd);
DWORD ProcessOf(HWND hwnd);
// The windows EnumWindows, EnumChildWindows (every descendant) and EnumThreadWindows report.
std::vector<HWND> TopLevelWindows();
std::vector<HWND> ChildWindows(HWND parent);
std::vector<HWND> ThreadWindows(DWORD threadId);
// Top-level windows of one process; with a class name, only the visible ones of that class.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className = nullptr);

// Answers message boxes of this process from another thread: records caption and text of each
// box that appears and presses the button with the given identifier.
class MessageBoxWatcher {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
    };
    explicit MessageBoxWatcher(int answer = IDOK, DWORD processId = GetCurrentProcessId());
    ~MessageBoxWatcher();
    std::vector<Box> Boxes() const;
    size_t Count() const;
    void SetAnswer(int answer) { answer_ = answer; }

private:
    void Run();
    std::atomic<int> answer_;
    DWORD processId_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::vector<HWND> answered_;
    std::thread thread_;
};

}  // namespace corvana::test
