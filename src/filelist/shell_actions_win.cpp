// What the shell does with the selected files: open, show, recycle, properties.
#include "filelist/shell_actions_win.h"
#include "win/system_win.h"

#include <shellapi.h>

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "filelist/file_list_view_win.h"
#include "common/text.h"
#include "win/handles_win.h"
#include "win/application_win.h"
#include "win/message_dialog_win.h"

namespace corvana {

bool IsExistingFile(const std::wstring& path) {
    const std::wstring apiPath = FileApiPath(path);
    const DWORD attributes = GetFileAttributesW(apiPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    // A link: what it points to decides (a dangling link names nothing).
    const UniqueFileHandle target(CreateFileW(apiPath.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return target && GetFileInformationByHandle(target.get(), &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ForEachExistingFile(const std::vector<std::wstring>& paths, const std::function<void(const std::wstring&)>& act,
                         const std::function<void()>& missing) {
    for (const auto& path : paths) {
        if (IsExistingFile(path))
            act(path);
        else
            missing();
    }
}

void ShowFileProperties(const std::wstring& path) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = L"properties";
    info.lpFile = path.c_str();
    ShellExecuteExW(&info);
}

bool RecycleFile(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::wstring from = path;
    from.push_back(L'\0');  // with the string's own terminator: a list of one path
    SHFILEOPSTRUCTW request{};
    request.wFunc = FO_DELETE;
    request.pFrom = from.c_str();
    // Without the nuke warning, "no confirmation" lets the shell delete a file for good where it
    // cannot recycle it (a drive without a Recycle Bin, a file too large for it): it then asks.
    request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;
    if (SHFileOperationW(&request) != 0 || request.fAnyOperationsAborted) return false;
    // The shell can report success for a file it left in place.
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

namespace {

void Beep() {
    MessageBeep(0);
}

// The failure's type without its namespaces, as the recycle loop names it.
std::wstring ErrorTypeName(const std::exception& e) {
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : typeid(e).name();
    if (const size_t colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
    return DecodeUtf8(name).value_or(L"Exception");
}

}  // namespace

void FileListView::OpenSelected() {
    ForEachExistingFile(
        SelectedCaptions(),
        [this](const std::wstring& path) {
            ShellExecuteW(owner_, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        },
        Beep);
}

void FileListView::ShowSelectedInExplorer() {
    ForEachExistingFile(
        SelectedCaptions(),
        [this](const std::wstring& path) {
            // Quoted, so that a path with blanks or commas arrives whole.
            const std::wstring parameters = L"/select, \"" + path + L"\"";
            ShellExecuteW(owner_, L"OPEN", WindowsFolderProgram(L"explorer.exe").c_str(), parameters.c_str(), nullptr,
                          SW_SHOWNORMAL);
        },
        Beep);
}

void FileListView::ShowSelectedProperties() {
    ForEachExistingFile(SelectedCaptions(), ShowFileProperties, Beep);
}

void FileListView::RecycleSelected() {
    // No item stays selected afterwards, whatever the answer.
    ScopeExit deselect([this] { ClearSelection(); });
    // The paths are taken before the question: the list can change while the box is open.
    const std::vector<std::wstring> paths = SelectedCaptions();
    if (paths.empty()) return;
    if (ShowMessageDialog(L"Do you really want to send the selected item(s) to Recycle Bin?", MessageKind::Confirmation,
                          MessageButtons::YesNo, L"Confirmation", {L"Yes", L"No"}, owner_) != IDYES)
        return;

    const auto report = [this](const std::exception& e) {
        const std::wstring text = ErrorTypeName(e) + L" error raised, with message : " + Application::ExceptionText(e);
        ShowMessage(text, MessageKind::Plain, Application::kTitle, owner_);
    };
    // The items of the recycled files leave the list together at the end: one pass over the
    // rows instead of one per file.
    std::vector<std::wstring> recycled;
    for (const auto& path : paths) {
        if (!IsExistingFile(path)) continue;
        try {
            if (RecycleFile(path)) recycled.push_back(path);
        } catch (const std::exception& e) {
            report(e);
        }
    }
    try {
        RemoveItemsByPath(recycled);
    } catch (const std::exception& e) {
        report(e);
    }
}

}  // namespace corvana
