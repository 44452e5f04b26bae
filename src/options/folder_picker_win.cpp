#include "options/folder_picker_win.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <memory>

#include "common/app_error.h"
#include "win/system_win.h"

using Microsoft::WRL::ComPtr;

namespace corvana {

namespace {

void Check(HRESULT hr) {
    if (FAILED(hr)) throw AppError(SystemErrorText(static_cast<DWORD>(hr)));
}

struct PidlDeleter {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlDeleter>;

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

std::optional<std::wstring> PickFolderWithItemDialog(HWND owner, const std::wstring& startFolder) {
    ComPtr<IFileOpenDialog> dialog;
    Check(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)));
    FILEOPENDIALOGOPTIONS options = 0;
    Check(dialog->GetOptions(&options));
    Check(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST));
    Check(dialog->SetTitle(kSelectFolderTitle));
    Check(dialog->SetOkButtonLabel(L"Select"));
    if (!startFolder.empty()) {
        // A folder that no longer exists simply leaves the dialog in its own default place.
        ComPtr<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(startFolder.c_str(), nullptr, IID_PPV_ARGS(&folder))))
            dialog->SetFolder(folder.Get());
        dialog->SetFileName(startFolder.c_str());
    }
    const HRESULT shown = dialog->Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
    Check(shown);
    ComPtr<IShellItem> result;
    Check(dialog->GetResult(&result));
    wchar_t* path = nullptr;
    Check(result->GetDisplayName(SIGDN_FILESYSPATH, &path));
    std::wstring chosen(path);
    CoTaskMemFree(path);
    // The dialog only lets existing folders through; one that is not there is the chosen folder's
    // path cut short by the shell (Wine's stops at MAX_PATH), and using it would make a new folder.
    if (!DirectoryExists(chosen)) throw AppError(L"The chosen folder's path could not be read whole: " + chosen);
    return chosen;
}

bool PickFolderClassic(HWND owner, std::wstring& lastFolder) {
    UniquePidl root;
    const std::wstring drive = DrivePart(lastFolder);
    if (!lastFolder.empty() && !drive.empty()) {
        ITEMIDLIST* pidl = nullptr;
        if (SUCCEEDED(SHParseDisplayName(WithTrailingBackslash(drive).c_str(), nullptr, &pidl, 0, nullptr)))
            root.reset(pidl);
    }
    if (!DirectoryExists(lastFolder)) lastFolder.clear();

    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = root.get();
    info.lpszTitle = kSelectFolderTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = lastFolder.empty() ? 0 : reinterpret_cast<LPARAM>(lastFolder.c_str());
    UniquePidl chosen(SHBrowseForFolderW(&info));
    if (!chosen) return false;
    lastFolder = IdListPath(chosen.get());
    return true;
}

}  // namespace corvana
