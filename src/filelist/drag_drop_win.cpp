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
    std::vector<std::wstring> paths;
    for (UINT i = 0; i < count; ++i) {
        // One item that fails does not stop the others, and says nothing.
        try {
            if (std::wstring path = DroppedPath(drop, i); !path.empty()) paths.push_back(std::move(path));
        } catch (...) {
        }
    }
    AddPaths(paths);
}

}  // namespace corvana
