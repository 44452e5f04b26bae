// The two folder dialogs of "Change Destination Folder...": the item-based picker and, on
// Windows versions before 6, the classic browse-for-folder dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace corvana {

inline constexpr const wchar_t* kSelectFolderTitle = L"Select folder:";

// The item-based dialog in folder mode, opening in startFolder (also put into its name field).
// Returns the chosen folder, or nothing when the user cancels.
std::optional<std::wstring> PickFolderWithItemDialog(HWND owner, const std::wstring& startFolder);

// The classic dialog, rooted at the drive of lastFolder (the whole namespace when it is empty),
// with lastFolder preselected when it exists and emptied first when it does not. On confirmation
// the chosen folder is written into lastFolder. Returns whether the user confirmed.
bool PickFolderClassic(HWND owner, std::wstring& lastFolder);

}  // namespace corvana
