// Small wrappers over Win32 calls used across the program: paths, files, error texts, DPI.
#pragma once

#include <windows.h>
#include <shtypes.h>

#include <string>
#include <string_view>

#include "common/paths.h"

namespace corvana {

std::wstring ModulePath(HMODULE module = nullptr);

// The path made absolute against the current folder; unchanged when it cannot be.
std::wstring AbsolutePath(const std::wstring& path);

// The path as the file functions take it at any length: unchanged while it is short, else absolute
// and in the extended-length form. For handing to the system only; the user sees the plain path.
std::wstring FileApiPath(const std::wstring& path);

bool FileExists(const std::wstring& path);       // a file, not a folder
bool DirectoryExists(const std::wstring& path);  // a folder
// True when `made` is a file that is not empty and not older than the file `from` (last written).
bool FileUpToDate(const std::wstring& made, const std::wstring& from);
// Creates a folder with its missing parents. An empty text raises "Unable to create directory";
// otherwise returns whether the folder is there afterwards.
bool ForceDirectories(std::wstring folder);

// The system's text for an error code, without the trailing line break.
std::wstring SystemErrorText(DWORD code);
// Raises AppError with the system's text for GetLastError().
[[noreturn]] void RaiseLastError();

std::wstring GetWindowTextString(HWND hwnd);
// The full path of a program that comes with Windows, in the Windows folder (explorer.exe) or the
// system folder (notepad.exe): started by a bare name, a planted program of that name in the
// current or the program's folder could run instead.
std::wstring WindowsFolderProgram(const wchar_t* name);
std::wstring SystemFolderProgram(const wchar_t* name);
std::wstring ShellFolderPath(int csidl);  // SHGetFolderPathW, empty when the shell has none

enum class Centring { OnScreen, OverOwner };
// The outer rectangle of a window whose client area has the given size at the given DPI: centred
// in the work area of the owner's monitor (the primary monitor without an owner), or centred over
// the owner and kept inside its monitor's work area.
RECT CenteredWindowRect(HWND owner, int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu,
                        UINT dpi, Centring centring = Centring::OnScreen);

inline int ScaleForDpi(int value, UINT dpi) {
    return MulDiv(value, static_cast<int>(dpi), 96);
}

}  // namespace corvana
