// The shell's side of the list's context menu: what counts as a file there, the properties sheet
// and the Recycle Bin.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corvana {

// A file exists at the path (a link counts as what it points to); a folder is not a file.
bool IsExistingFile(const std::wstring& path);

// For each path in order: act on it when a file exists there, otherwise call missing.
void ForEachExistingFile(const std::vector<std::wstring>& paths, const std::function<void(const std::wstring&)>& act,
                         const std::function<void()>& missing);

// Asks the shell for the properties sheet of the file; the sheet stays open on its own.
void ShowFileProperties(const std::wstring& path);

// Moves the file to the Recycle Bin; true only when it has left its place that way. Where the
// file cannot be recycled (no Recycle Bin on its drive, too large for it) the shell asks before
// it would delete the file for good, and answering No keeps the file and gives false.
bool RecycleFile(const std::wstring& path);

}  // namespace corvana
