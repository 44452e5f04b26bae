#include "win/system_win.h"

#include <algorithm>
#include <vector>

#include <shlobj.h>

#include "common/app_error.h"

namespace corvana {

std::wstring ModulePath(HMODULE module) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring AbsolutePath(const std::wstring& path) {
    if (path.empty()) return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return path;
    full.resize(n);
    return full;
}

std::wstring FileApiPath(const std::wstring& path) {
    if (path.empty()) return path;
    // Most paths are absolute and short, and go as they are without asking the system; a short
    // relative path can still lead somewhere long below a deep current folder.
    const bool absolute = path.size() >= 3 && ((path[1] == L':' && path[2] == L'\\') || path.starts_with(L"\\\\"));
    if (absolute && path.size() < kPlainPathLimit) return path;
    const std::wstring full = AbsolutePath(path);
    return full.size() < kPlainPathLimit ? path : ExtendedLengthPath(full);
}

bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(FileApiPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileUpToDate(const std::wstring& made, const std::wstring& from) {
    WIN32_FILE_ATTRIBUTE_DATA output{}, source{};
    if (!GetFileAttributesExW(FileApiPath(made).c_str(), GetFileExInfoStandard, &output) ||
        !GetFileAttributesExW(FileApiPath(from).c_str(), GetFileExInfoStandard, &source))
        return false;
    if (output.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if (output.nFileSizeHigh == 0 && output.nFileSizeLow == 0) return false;
    return CompareFileTime(&output.ftLastWriteTime, &source.ftLastWriteTime) >= 0;
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(FileApiPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(std::wstring folder) {
    if (folder.empty()) throw AppError(L"Unable to create directory");
    // Walk up to the first folder that exists, then create the missing ones top down.
    std::vector<std::wstring> missing;
    for (;;) {
        while (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.pop_back();
        if (folder.empty() || DirectoryExists(folder)) break;
        const std::wstring parent = FolderPart(folder);
        missing.push_back(folder);
        if (parent.empty() || parent == folder || (parent.size() <= 3 && parent.back() == L':')) break;
        folder = parent;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (!CreateDirectoryW(FileApiPath(*it).c_str(), nullptr) && !DirectoryExists(*it)) return false;
    return true;
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = n ? std::wstring(text, n) : L"System error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
        result.pop_back();
    return result;
}

void RaiseLastError() {
    throw AppError(SystemErrorText(GetLastError()));
}

std::wstring GetWindowTextString(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
    return text;
}

std::wstring WindowsFolderProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH]{};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return WithTrailingBackslash(std::wstring(folder, length < MAX_PATH ? length : 0)) + name;
}

std::wstring SystemFolderProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH]{};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return WithTrailingBackslash(std::wstring(folder, length < MAX_PATH ? length : 0)) + name;
}

std::wstring ShellFolderPath(int csidl) {
    wchar_t path[MAX_PATH]{};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    std::wstring result(path);
    while (result.size() > 3 && result.back() == L'\\') result.pop_back();
    return result;
}

RECT CenteredWindowRect(HWND owner, int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu,
                        UINT dpi, Centring centring) {
    RECT rc{0, 0, clientWidth, clientHeight};
    AdjustWindowRectExForDpi(&rc, style, hasMenu, exStyle, dpi);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    RECT ownerRect{};
    if (centring == Centring::OverOwner && owner && GetWindowRect(owner, &ownerRect)) {
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &mi);
        const int x = ownerRect.left + (ownerRect.right - ownerRect.left - w) / 2;
        const int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - h) / 2;
        // Kept on the owner's monitor, whole where it fits.
        const int left = std::max(static_cast<int>(mi.rcWork.left), std::min(x, static_cast<int>(mi.rcWork.right) - w));
        const int top = std::max(static_cast<int>(mi.rcWork.top), std::min(y, static_cast<int>(mi.rcWork.bottom) - h));
        return {left, top, left + w, top + h};
    }
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &mi);
    const int x = mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2;
    const int y = mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2;
    return {x, y, x + w, y + h};
}

}  // namespace corvana
