// Filling the file list: AddFile, the folder scan, "Add Files..." and "Add Folder...", and the
// virtual list view's view of the rows.
#include "filelist/file_list_view_win.h"

#include <windowsx.h>

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <set>
#include <tuple>

#include "filelist/supported_files.h"
#include "win/application_win.h"
#include "win/command_ids.h"
#include "win/controls_win.h"
#include "win/folder_picker_win.h"
#include "win/handles_win.h"
#include "win/message_dialog_win.h"
#include "win/system_win.h"

namespace corvana {

FileListView::FileListView(HWND owner, std::wstring& lastFolder, Callbacks callbacks)
    : owner_(owner), lastFolder_(lastFolder), callbacks_(std::move(callbacks)) {}

FileListView::~FileListView() {
    if (list_.Handle()) RemoveWindowSubclass(list_.Handle(), ListProc, 0);
    if (menu_) DestroyMenu(menu_);
}

void FileListView::Create(int controlId) {
    list_.Create({owner_, WC_LISTVIEWW, L"",
                  WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
                  controlId, WS_EX_CLIENTEDGE});
    list_.onNotify = [this](NMHDR& header) { return OnNotify(header); };
    list_.onContextMenu = [this](LPARAM position) { ShowContextMenu(position); };
    ListView_SetExtendedListViewStyle(list_.Handle(), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<wchar_t*>(L"File");
    col.cx = 200;
    ListView_InsertColumn(list_.Handle(), 0, &col);
    col.pszText = const_cast<wchar_t*>(L"Result");
    col.cx = 71;
    ListView_InsertColumn(list_.Handle(), 1, &col);
    SetWindowSubclass(list_.Handle(), ListProc, 0, reinterpret_cast<DWORD_PTR>(this));

    menu_ = CreatePopupMenu();
    AppendMenuItems(menu_, {{CMD_Open, L"&Open"},
                            {CMD_ShowFileInExplorer, L"Show in &Explorer"},
                            kMenuSeparator,
                            {CMD_RemoveFromList, L"&Remove from List\tDel"},
                            {CMD_SendToRecycleBin, L"Send to Recycle &Bin"},
                            kMenuSeparator,
                            {CMD_SelectAll, L"Select &All\tCtrl+A"},
                            kMenuSeparator,
                            {CMD_Properties, L"&Properties"}});
    SetMenuDefaultItem(menu_, CMD_Open, FALSE);
}

std::optional<LRESULT> FileListView::OnNotify(NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW: return ItemData(reinterpret_cast<NMLVDISPINFOW&>(header));
        case LVN_COLUMNCLICK: return OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header));
        case LVN_KEYDOWN: return OnKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header));
        case NM_SETFOCUS: OnFocus(); return 0;
        default: return std::nullopt;
    }
}

void FileListView::OnFocus() {
    if (rows_.Empty() || ListView_GetNextItem(list_.Handle(), -1, LVNI_FOCUSED) >= 0) return;
    ListView_SetItemState(list_.Handle(), 0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void FileListView::ShowContextMenu(LPARAM lp) {
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (lp == -1) {  // from the keyboard: below the focused item
        RECT rc{};
        const int item = ListView_GetNextItem(list_.Handle(), -1, LVNI_FOCUSED);
        if (item < 0 || !ListView_GetItemRect(list_.Handle(), item, &rc, LVIR_LABEL))
            GetClientRect(list_.Handle(), &rc);
        pt = {rc.left, rc.bottom};
        ClientToScreen(list_.Handle(), &pt);
    }
    TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner_, nullptr);
}

void FileListView::Refresh() {
    ListView_SetItemCountEx(list_.Handle(), static_cast<int>(rows_.Count()), LVSICF_NOSCROLL);
    InvalidateRect(list_.Handle(), nullptr, FALSE);
}

LRESULT CALLBACK FileListView::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ListProc, 0);
    const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
    // Also when a scroll bar came or went: the list's own width changed, not its window's.
    if (msg == WM_SIZE) reinterpret_cast<FileListView*>(self)->FitColumns();
    return result;
}

void FileListView::SetColumnWidths(int pathMinimum, int result) {
    pathMinimum_ = pathMinimum;
    resultWidth_ = result;
    FitColumns();
}

void FileListView::FitColumns() {
    RECT client;
    GetClientRect(list_.Handle(), &client);
    const int widths[] = {std::max(pathMinimum_, static_cast<int>(client.right) - resultWidth_), resultWidth_};
    for (int column : {1, 0})
        if (ListView_GetColumnWidth(list_.Handle(), column) != widths[column])
            ListView_SetColumnWidth(list_.Handle(), column, widths[column]);
}

void FileListView::RedrawRows(size_t first, size_t last) {
    // Only the rows in view, as one rectangle: the control would invalidate each row on its own.
    if (rows_.Empty()) return;
    const HWND list = list_.Handle();
    const auto top = static_cast<size_t>(std::max(0, ListView_GetTopIndex(list)));
    first = std::max(first, top);
    last = std::min({last, top + static_cast<size_t>(std::max(0, ListView_GetCountPerPage(list))), rows_.Count() - 1});
    RECT from, to;
    if (first > last || !ListView_GetItemRect(list, static_cast<int>(first), &from, LVIR_BOUNDS) ||
        !ListView_GetItemRect(list, static_cast<int>(last), &to, LVIR_BOUNDS))
        return;
    RECT client;
    GetClientRect(list, &client);
    const RECT rows{client.left, from.top, client.right, to.bottom};
    InvalidateRect(list, &rows, FALSE);
}

LRESULT FileListView::ItemData(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows_.Count()) return 0;
    const FileItem& row = rows_.At(static_cast<size_t>(item.iItem));
    if (item.mask & LVIF_TEXT) {
        // The row's own text, not a copy cut to the control's buffer: paths can be longer.
        static const std::wstring kNone;
        const std::wstring& text = item.iSubItem == 0 ? row.caption : item.iSubItem == 1 ? row.result : kNone;
        item.pszText = const_cast<wchar_t*>(text.c_str());
    }
    if (item.mask & LVIF_IMAGE) item.iImage = kFileSoundImage;
    return 0;
}

void FileListView::AddFile(const std::wstring& path, std::shared_ptr<const std::wstring> addedFrom) {
    // What the running conversion has written is its output, never a source of its own.
    if (callbacks_.isRunOutput && callbacks_.isRunOutput(path)) return;
    std::optional<size_t> added;
    if (rows_.InBatch()) {
        added = rows_.Add(path, std::move(addedFrom));
    } else if (!rows_.IsSorted()) {
        added = rows_.Add(path, std::move(addedFrom));
        if (added)
            ListView_SetItemCountEx(list_.Handle(), static_cast<int>(rows_.Count()),
                                    LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    } else {
        if (rows_.Contains(path)) return;
        const std::vector<uint64_t> selected = SelectedIds();
        added = rows_.Add(path, std::move(addedFrom));
        Refresh();
        if (!selected.empty()) SelectIds(selected);
    }
    // A row added during a run is converted in it.
    if (added && callbacks_.rowAdded) callbacks_.rowAdded(rows_.At(*added).id);
}

void FileListView::ScanFolder(const std::wstring& folder) {
    // Depth first in enumeration order: a subfolder is entered where its entry comes, before the
    // next entry of its parent. An explicit stack keeps very deep trees off the call stack.
    using Identity = std::tuple<DWORD, DWORD, DWORD>;  // volume and file index
    struct Level {
        UniqueFindHandle find;
        std::wstring prefix;
        bool known = false;  // its identity is in `visited`
    };
    scanList_.clear();
    std::vector<Level> stack;
    WIN32_FIND_DATAW fd;
    // Folder links (junctions, symbolic links) are followed, but a folder reached through a link is
    // read only when it is not one being read already or one a link led to before: a link to a
    // folder above would repeat the tree without end. Only a link can close such a loop, so only
    // links, the starting folder and (once a link is met) the folders above it are opened to learn
    // their identity; a folder without links below costs one directory listing.
    std::set<Identity> visited;
    const auto identityOf = [](const std::wstring& path) -> std::optional<Identity> {
        const UniqueFileHandle folderHandle(CreateFileW(FileApiPath(path).c_str(), 0,
                                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!folderHandle || !GetFileInformationByHandle(folderHandle.get(), &info)) return std::nullopt;
        return Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    };
    const auto enter = [&](const std::wstring& path, bool learnIdentity) {
        if (learnIdentity) {
            for (Level& above : stack)
                if (!above.known) {
                    above.known = true;
                    if (const auto id = identityOf(above.prefix)) visited.insert(*id);
                }
            // A folder whose identity cannot be read is read all the same (the path's length
            // bounds it).
            if (const auto id = identityOf(path); id && !visited.insert(*id).second) return false;
        }
        // No short names needed; larger batches per call.
        UniqueFindHandle find(FindFirstFileExW(FileApiPath(WithTrailingBackslash(path) + L"*").c_str(), FindExInfoBasic,
                                               &fd, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find) return false;
        stack.push_back(Level{std::move(find), WithTrailingBackslash(path), learnIdentity});
        return true;
    };
    if (!enter(folder, true)) return;
    for (;;) {
        const std::wstring_view name = fd.cFileName;
        bool entered = false;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L"..")
                entered = enter(stack.back().prefix + std::wstring(name),
                                (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
        } else if (IsSupportedFile(name)) {
            const std::wstring& prefix = stack.back().prefix;
            std::wstring& path = scanList_.emplace_back();
            path.reserve(prefix.size() + name.size());
            path.append(prefix).append(name);
        }
        if (entered) continue;
        while (!stack.empty() && !FindNextFileW(stack.back().find.get(), &fd)) stack.pop_back();
        if (stack.empty()) break;
    }
}

void FileListView::AddFolderContents(const std::wstring& folder) {
    callbacks_.showStatus(L"Loading Files...");
    Application::SetBusyCursor(true);
    Application::ProcessMessages();
    ScopeExit idle([] { Application::SetBusyCursor(false); });

    lastFolder_ = folder;
    ScanFolder(folder);
    AddAsOneChange([&] {
        rows_.Reserve(scanList_.size());
        const auto addedFrom = std::make_shared<const std::wstring>(folder);
        for (const auto& path : scanList_) AddFile(path, addedFrom);
    });
    callbacks_.showStatus(L"");
}

void FileListView::AddPaths(const std::vector<std::wstring>& paths) {
    AddAsOneChange([&] {
        for (const std::wstring& path : paths) {
            // One item that fails does not stop the others, and says nothing.
            try {
                if (DirectoryExists(path))
                    AddFolderContents(path);
                else if (IsSupportedFile(path))
                    AddFile(path);
            } catch (...) {
            }
        }
    });
}

// Rows added together are one change of the list: they are shown together at the end instead of
// the list view being counted again for each (which redraws its scroll bar, milliseconds a row).
// In sorted mode they are sorted in then, to the same places one-by-one insertion would give, and
// the selection stays with its rows.
void FileListView::AddAsOneChange(const std::function<void()>& add) {
    // Inside another such change (a folder among dropped paths) it is part of that one.
    if (rows_.InBatch()) {
        add();
        return;
    }
    SendMessageW(list_.Handle(), WM_SETREDRAW, FALSE, 0);
    const std::vector<uint64_t> selected = rows_.IsSorted() ? SelectedIds() : std::vector<uint64_t>{};
    rows_.BeginBatch();
    ScopeExit show([&] {
        rows_.EndBatch();
        if (!selected.empty()) ClearSelection();
        Refresh();
        if (!selected.empty()) SelectIds(selected);
        SendMessageW(list_.Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_.Handle(), nullptr, TRUE);
    });
    add();
}

void FileListView::AddFilesFromDialog() {
    std::wstring filter = OpenDialogFilter();
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    // Room for thousands of chosen files.
    std::vector<wchar_t> names(1 << 20, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = names.data();
    ofn.nMaxFile = static_cast<DWORD>(names.size());
    ofn.lpstrDefExt = L"mp3";
    // The current folder stays where it was: relative paths from the command line keep meaning
    // the folder the program was started in.
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ShowMessage(L"Too many files were chosen at once. Please add them in smaller groups.", MessageKind::Warning,
                        L"WARNING", owner_);
        return;
    }

    // One chosen file comes as its full path; several as the folder followed by the names.
    std::vector<std::wstring> parts;
    for (const wchar_t* p = names.data(); *p; p += wcslen(p) + 1) parts.emplace_back(p);
    std::vector<std::wstring> files;
    if (parts.size() == 1) {
        files = parts;
    } else {
        const std::wstring folder = WithTrailingBackslash(parts[0]);
        for (size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
    }

    Application::SetBusyCursor(true);
    ScopeExit idle([] { Application::SetBusyCursor(false); });
    AddAsOneChange([&] {
        for (const auto& file : files) AddFile(file);
    });
}

void FileListView::AddFolderFromDialog() {
    const std::vector<std::wstring> folders = PickFolders(owner_, lastFolder_, true);
    if (folders.empty()) return;
    lastFolder_ = folders.front();
    for (const auto& folder : folders) AddFolderContents(folder);
}

}  // namespace corvana
