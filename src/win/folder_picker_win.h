// The folder dialog of "Add Folder..." and "Change Destination Folder...": the item-based open
// dialog in folder mode.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvana {

// Opens in startFolder (also put into the name field) and returns the chosen folders (one unless
// several are allowed); nothing when the user cancels. Raises AppError when the dialog fails, or
// when a chosen folder's path comes back cut short.
std::vector<std::wstring> PickFolders(HWND owner, const std::wstring& startFolder, bool several);

}  // namespace corvana
