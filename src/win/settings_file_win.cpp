#include "win/settings_file_win.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "common/app_error.h"
#include "win/handles_win.h"
#include "win/system_win.h"

namespace corvana {

bool IsFolderWritable(const std::wstring& folder) {
    const std::wstring probe = WithTrailingBackslash(folder) + L"chk.tmp";
    UniqueFileHandle h(CreateFileW(probe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(h);
}

std::wstring ChooseSettingsFolder(const std::wstring& programFolder, const std::wstring& companyName,
                                  const std::wstring& productName) {
    if (IsFolderWritable(programFolder)) return WithTrailingBackslash(programFolder);
    const std::wstring appData = ShellFolderPath(CSIDL_APPDATA);
    // Without an application-data folder there is nowhere better than the program's own.
    if (appData.empty()) return WithTrailingBackslash(programFolder);
    const std::wstring company = appData + L"\\" + companyName;
    const std::wstring product = company + L"\\" + productName;
    CreateDirectoryW(company.c_str(), nullptr);
    CreateDirectoryW(product.c_str(), nullptr);
    return product + L"\\";
}

void LoadSettingsFile(const std::wstring& path, IniStore& store) {
    UniqueFileHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            store = IniStore();
            return;
        }
        throw SettingsFileUnreadable(L"Cannot open file \"" + path + L"\". " + SystemErrorText(error));
    }
    const auto unreadable = [&path] {
        throw SettingsFileUnreadable(L"Cannot read file \"" + path + L"\". " + SystemErrorText(GetLastError()));
    };
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size)) unreadable();
    // settings.ini holds a handful of lines; anything near this size is not ours to load.
    if (size.QuadPart > 256LL * 1024 * 1024) throw AppError(L"The file \"" + path + L"\" is too large.");
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        if (!ReadFile(h.get(), bytes.data() + done, want, &got, nullptr)) unreadable();
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    if (!store.Load(bytes)) throw AppError(L"The file \"" + path + L"\" is not valid UTF-8.");
}

void SaveSettingsFile(const std::wstring& path, const IniStore& store) {
    const std::string bytes = store.Serialize();
    const std::wstring folder = FolderOf(path);
    const auto fail = [&](DWORD error) {
        throw AppError(L"Cannot create file \"" + path + L"\". " + SystemErrorText(error));
    };

    wchar_t temp[MAX_PATH + 1]{};
    std::wstring tempPath;
    if (folder.size() < MAX_PATH - 14 && GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"cfg", 0, temp)) {
        tempPath = temp;
    } else {
        tempPath = path + L".new";
    }
    {
        UniqueFileHandle h(
            CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) fail(GetLastError());
        DWORD written = 0;
        const BOOL ok = WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(h.get());
        if (!ok) {
            const DWORD error = GetLastError();
            h.reset();
            DeleteFileW(tempPath.c_str());
            fail(error ? error : ERROR_WRITE_FAULT);
        }
    }
    if (!MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(tempPath.c_str());
        fail(error);
    }
}

void SettingsFile::Open(const std::wstring& programFolder, const std::wstring& companyName,
                        const std::wstring& productName) {
    folder_ = ChooseSettingsFolder(programFolder, companyName, productName);
    try {
        LoadSettingsFile(Path(), store_);
    } catch (const SettingsFileUnreadable& e) {
        store_ = IniStore();
        problem_ = e.Message();
    } catch (const std::exception&) {
        DeleteFileW(Path().c_str());
        try {
            LoadSettingsFile(Path(), store_);
        } catch (const std::exception&) {
            store_ = IniStore();
        }
    }
}

std::wstring SettingsFile::Read(std::wstring_view key, const std::wstring& defaultValue) const {
    return store_.ReadString(L"Settings", key, defaultValue);
}

void SettingsFile::Write(std::wstring_view key, const std::wstring& value) {
    store_.WriteString(L"Settings", key, value);
    if (!handedOver_ && problem_.empty()) SaveSettingsFile(Path(), store_);
}

void SettingsFile::HandOver() {
    DeleteFileW(Path().c_str());
    handedOver_ = true;
}

}  // namespace corvana
