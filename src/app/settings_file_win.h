// Where settings.ini lives, and reading and writing it on disk.
#pragma once

#include <string>

#include "app/settings_store.h"

namespace corvana {

// True when a file can be created in the folder (a "chk.tmp" that already exists means no).
bool IsFolderWritable(const std::wstring& folder);

// The program's folder when writable, otherwise <application data>\<company>\<product>, with the
// two levels created as needed. Always ends in a backslash.
std::wstring ChooseSettingsFolder(const std::wstring& programFolder, const std::wstring& companyName,
                                  const std::wstring& productName);

// Loads the file into the store; an absent file gives an empty store. Raises AppError when the
// file exists but cannot be read or is not valid UTF-8.
void LoadSettingsFile(const std::wstring& path, IniStore& store);

// Writes the store to the file. The new content goes to a temporary file in the same folder first
// and then replaces the old file in one step, so a failure part-way never leaves a cut file
// behind. Raises AppError "Cannot create file "<path>". <reason>" on failure.
void SaveSettingsFile(const std::wstring& path, const IniStore& store);

}  // namespace corvana
