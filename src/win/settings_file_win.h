// Where settings.ini lives, and reading and writing it on disk.
#pragma once

#include <string>
#include <string_view>

#include "common/app_error.h"
#include "common/settings_store.h"

namespace corvana {

// True when a file can be created in the folder (a "chk.tmp" that already exists means no).
bool IsFolderWritable(const std::wstring& folder);

// The program's folder when writable, otherwise <application data>\<company>\<product>, with the
// two levels created as needed. Always ends in a backslash.
std::wstring ChooseSettingsFolder(const std::wstring& programFolder, const std::wstring& companyName,
                                  const std::wstring& productName);

// A settings file that exists but cannot be opened or read (another program holds it, no
// permission, a read error): its content is not known, so it must be left alone.
class SettingsFileUnreadable : public AppError {
    using AppError::AppError;
};

// Loads the file into the store; an absent file gives an empty store. Raises
// SettingsFileUnreadable when the file exists but cannot be read, and AppError when its content is
// not valid UTF-8 (or far too large to be ours).
void LoadSettingsFile(const std::wstring& path, IniStore& store);

// Writes the store to the file. The new content goes to a temporary file in the same folder first
// and then replaces the old file in one step, so a failure part-way never leaves a cut file
// behind. Raises AppError "Cannot create file "<path>". <reason>" on failure.
void SaveSettingsFile(const std::wstring& path, const IniStore& store);

// The user's choices: settings.ini in its folder, kept in memory and written the moment a choice
// changes.
class SettingsFile {
public:
    // Chooses the folder and reads the file. A file whose content cannot be decoded is deleted,
    // silently, and the store starts empty. A file that cannot be read at all is left alone: the
    // store starts empty, nothing is written over the file in this run, and Problem() says why.
    void Open(const std::wstring& programFolder, const std::wstring& companyName, const std::wstring& productName);
    // Why the file is left alone in this run; empty when it is not.
    const std::wstring& Problem() const { return problem_; }
    const std::wstring& Folder() const { return folder_; }
    std::wstring Path() const { return folder_ + L"settings.ini"; }
    // A key of section "Settings".
    std::wstring Read(std::wstring_view key, const std::wstring& defaultValue) const;
    // Writes a key of section "Settings" and flushes the file at once, unless the file has been
    // handed over or is left alone. A failed flush raises AppError; the store keeps the new value for
    // the next one.
    void Write(std::wstring_view key, const std::wstring& value);
    // "Reset to Defaults...": deletes the file, which from now on belongs to the new instance; this
    // one keeps its choices in memory only, so nothing it does later can put the old ones back.
    void HandOver();

private:
    std::wstring folder_;
    IniStore store_;
    bool handedOver_ = false;
    std::wstring problem_;
};

}  // namespace corvana
