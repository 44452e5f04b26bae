// Finding and ending the copies of the program that a test caused to start (the restart of
// "Reset to Defaults...", for instance): a main window of another process running a given file.
#pragma once

#include <windows.h>

#include <string>

#include "support/win_test_support.h"

namespace corvana::test {

// Another running copy of the program file exe: its main window and process.
struct Instance {
    HWND window = nullptr;
    DWORD pid = 0;
};

inline std::wstring ImagePath(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return L"";
    wchar_t path[MAX_PATH]{};
    DWORD size = MAX_PATH;
    const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    return ok ? path : L"";
}

inline Instance FindInstance(const std::wstring& exe, DWORD excludedPid) {
    for (HWND hwnd : TopLevelWindows()) {
        const DWORD pid = ProcessOf(hwnd);
        if (pid != GetCurrentProcessId() && pid != excludedPid && ClassNameOf(hwnd) == L"TAppForm" &&
            IsWindowVisible(hwnd) && lstrcmpiW(ImagePath(pid).c_str(), exe.c_str()) == 0)
            return {hwnd, pid};
    }
    return {};
}

inline Instance WaitForInstance(const std::wstring& exe, DWORD excludedPid = 0) {
    Instance instance;
    PumpUntil([&] { return (instance = FindInstance(exe, excludedPid)).window != nullptr; }, 30000);
    return instance;
}

// Ends a copy that the test caused to start.
inline void CloseInstance(const Instance& instance) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, instance.pid);
    if (!process) return;
    PostMessageW(instance.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
}

}  // namespace corvana::test
