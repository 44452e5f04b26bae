// Files and folders dropped on the window.
#include "filelist/file_list_view_win.h"

#include <shellapi.h>

#include <algorithm>

#include "filelist/supported_files.h"
#include "win/handles_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr UINT kCopyGlobalData = 0x0049;  // how the system hands drop data between processes

// A path of any length: a longer path cut to a fixed buffer could name another, existing folder.
std::wstring DroppedPath(HDROP drop, UINT index) {
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    std::wstring path(length, L'\0');
    if (length == 0) return path;
    const UINT copied = DragQueryFileW(drop, index, path.data(), length + 1);
    path.resize(std::min(copied, length));
    return path;
}

}  // namespace

void FileListView::AcceptDrops() {
    DragAcceptFiles(owner_, TRUE);
    // Lets drops from the file manager through also when this program runs with higher rights.
    ChangeWindowMessageFilter(WM_DROPFILES, MSGFLT_ADD);
    ChangeWindowMessageFilter(kCopyGlobalData, MSGFLT_ADD);
}

void FileListView::OnDropFiles(HDROP drop) {
    const UniqueHdrop finish(drop);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);

    // A drop is one change of the list: its rows are shown together at the end instead of the
    // list view being updated for each file. In sorted mode they are sorted in then, to the same
    // places one-by-one insertion would give, and the selection stays with its rows.
    const std::vector<uint64_t> selectedIds = rows_.IsSorted() ? SelectedIds() : std::vector<uint64_t>{};
    rows_.BeginBatch();
    ScopeExit show([&] {
        rows_.EndBatch();
        if (!selectedIds.empty()) ClearSelection();
        Refresh();
        if (!selectedIds.empty()) SelectIds(selectedIds);
    });
    for (UINT i = 0; i < count; ++i) {
        // One item that fails does not stop the others, and says nothing.
        try {
            const std::wstring path = DroppedPath(drop, i);
            if (path.empty()) continue;
            if (DirectoryExists(path))
                AddFolderContents(path);
            else if (IsSupportedFile(path))
                AddFile(path);
        } catch (...) {
        }
    }
}

}  // namespace corvana
