#include "win/folder_picker_win.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "common/app_error.h"
#include "win/system_win.h"

using Microsoft::WRL::ComPtr;

namespace corvana {

namespace {
void Check(HRESULT hr) {
    if (FAILED(hr)) throw AppError(SystemErrorText(static_cast<DWORD>(hr)));
}
}  // namespace

std::vector<std::wstring> PickFolders(HWND owner, const std::wstring& startFolder, bool several) {
    ComPtr<IFileOpenDialog> dialog;
    Check(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)));
    FILEOPENDIALOGOPTIONS options = 0;
    Check(dialog->GetOptions(&options));
    options |= FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST;
    if (several) options |= FOS_ALLOWMULTISELECT;
    Check(dialog->SetOptions(options));
    Check(dialog->SetTitle(L"Select folder:"));
    Check(dialog->SetOkButtonLabel(L"Select"));
    if (!startFolder.empty()) {
        // SetFolder, not SetDefaultFolder: the dialog would open at a folder it remembers of its
        // own and so ignore the start folder after its first use. A folder that no longer exists
        // simply leaves the dialog in its own default place.
        ComPtr<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(startFolder.c_str(), nullptr, IID_PPV_ARGS(&folder))))
            dialog->SetFolder(folder.Get());
        dialog->SetFileName(startFolder.c_str());
    }
    const HRESULT shown = dialog->Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return {};
    Check(shown);
    ComPtr<IShellItemArray> results;
    Check(dialog->GetResults(&results));
    DWORD count = 0;
    Check(results->GetCount(&count));
    std::vector<std::wstring> chosen;
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IShellItem> item;
        wchar_t* path = nullptr;
        Check(results->GetItemAt(i, &item));
        Check(item->GetDisplayName(SIGDN_FILESYSPATH, &path));
        chosen.emplace_back(path);
        CoTaskMemFree(path);
        // The dialog only lets existing folders through; one that is not there is the chosen
        // folder's path cut short by the shell (Wine's stops at MAX_PATH), and using it would make
        // or scan another folder.
        if (!DirectoryExists(chosen.back()))
            throw AppError(L"The chosen folder's path could not be read whole: " + chosen.back());
    }
    return chosen;
}

}  // namespace corvana
