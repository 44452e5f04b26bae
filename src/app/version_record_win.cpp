#include "app/version_record_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "win/system_win.h"

namespace corvana {

namespace {

std::vector<unsigned char> LoadVersionBlock(const std::wstring& fileName, bool raise) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0) {
        if (raise) RaiseLastError();
        return {};
    }
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, block.data())) {
        if (raise) RaiseLastError();
        return {};
    }
    return block;
}

}  // namespace

VersionRecord ReadVersionRecord(const std::wstring& fileName) {
    auto block = LoadVersionBlock(fileName, true);

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation\\", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < sizeof(Translation))
        RaiseLastError();
    wchar_t key[16];
    std::swprintf(key, 16, L"%.4x%.4x", translation->language, translation->codePage);

    VersionRecord data;
    const std::pair<const wchar_t*, std::wstring*> fields[] = {
        {L"\\CompanyName", &data.companyName},
        {L"\\ProductName", &data.productName},
    };
    for (const auto& [name, field] : fields) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\") + key + name;
        wchar_t* value = nullptr;
        UINT chars = 0;
        if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) && value)
            *field = value;
    }
    return data;
}

std::wstring ReadAppVersion(const std::wstring& fileName) {
    DWORD ms = 0xFFFFFFFF;
    auto block = LoadVersionBlock(fileName, false);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!block.empty() && VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) && info &&
        length >= sizeof(VS_FIXEDFILEINFO))
        ms = info->dwFileVersionMS;
    wchar_t text[32];
    std::swprintf(text, 32, L"%d.%d", static_cast<int>(HIWORD(ms)), static_cast<int>(LOWORD(ms)));
    return text;
}

}  // namespace corvana
