// The file list: its rows and the virtual list view that shows them, with everything the user does
// to them: adding files and folders (dialogs, drops, scans), sorting, selecting, removing, and the
// shell's actions on the files.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "filelist/file_list_model.h"
#include "win/controls_win.h"

namespace corvana {

// The one image of the list's small image list, which the window makes for its DPI.
inline constexpr int kFileSoundImage = 0;

class FileListView {
public:
    struct Callbacks {
        std::function<void(const std::wstring&)> showStatus;   // a text for the status bar
        std::function<void(uint64_t)> rowAdded;                // a row joined the list
        std::function<bool(const std::wstring&)> isRunOutput;  // the path is an output of the running conversion
    };
    // owner: the window that holds the list, and owns its dialogs and boxes. lastFolder: the
    // folder most recently loaded, shared with the target folder's picker.
    FileListView(HWND owner, std::wstring& lastFolder, Callbacks callbacks);
    ~FileListView();
    FileListView(const FileListView&) = delete;
    FileListView& operator=(const FileListView&) = delete;

    // Creates the list view control, with its columns, and its context menu.
    void Create(int controlId);
    HWND Handle() const { return list_.Handle(); }
    HMENU Menu() const { return menu_; }

    // The rows; after changing them from outside, call Refresh.
    FileListModel& Rows() { return rows_; }
    const FileListModel& Rows() const { return rows_; }
    // Tells the control the number of rows and repaints it.
    void Refresh();
    // "Result" this wide, and "File" the rest of the list's width, at least pathMinimum; kept so
    // as the list's width changes.
    void SetColumnWidths(int pathMinimum, int result);
    // Repaints the rows from one position to another (those in view) after their results changed.
    void RedrawRows(size_t first, size_t last);

    // ---- Adding ----
    // Appends a row for the path unless a row has exactly that caption or the path is an output
    // of the running conversion. addedFrom: the folder added that the file was found in.
    void AddFile(const std::wstring& path, std::shared_ptr<const std::wstring> addedFrom = nullptr);
    // Appends every supported file beneath the folder, and remembers the folder.
    void AddFolderContents(const std::wstring& folder);
    // Dropped, sent or named paths, in order: a folder's supported files, a supported file.
    void AddPaths(const std::vector<std::wstring>& paths);
    // Gathers the supported files beneath the folder into ScanList (afresh), depth first.
    void ScanFolder(const std::wstring& folder);
    const std::vector<std::wstring>& ScanList() const { return scanList_; }
    void AddFilesFromDialog();
    void AddFolderFromDialog();
    // Lets the owner take drops, also from the file manager into a program with higher rights.
    void AcceptDrops();
    void OnDropFiles(HDROP drop);

    // ---- Commands ----
    void SelectAll();
    void RemoveSelected();
    void Clear();
    void OpenSelected();
    void ShowSelectedInExplorer();
    void ShowSelectedProperties();
    void RecycleSelected();

    // Sort state: the first click on "File" sorts from high to low, as if the unsorted list had
    // been sorted by "File" from low to high. Sorted mode itself is Rows().IsSorted().
    bool Descending() const { return descending_; }
    int SortedColumn() const { return sortedColumn_; }
    // The captions of the selected rows, first to last.
    std::vector<std::wstring> SelectedCaptions() const;
    // Unselects every row, also where very many are selected.
    void ClearSelection();

private:
    void AddAsOneChange(const std::function<void()>& add);
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);
    void FitColumns();

    // ---- The control's notifications ----
    std::optional<LRESULT> OnNotify(NMHDR& header);
    LRESULT ItemData(NMLVDISPINFOW& info);
    LRESULT OnColumnClick(const NMLISTVIEW& info);
    LRESULT OnKeyDown(const NMLVKEYDOWN& info);
    // The list got the focus: a list without a focused row shows no focus mark, so the first row
    // takes the focus (without being selected).
    void OnFocus();
    // The context menu, at the mouse or (from the keyboard, lp -1) below the focused row.
    void ShowContextMenu(LPARAM lp);

    // Sorts the rows by the sort state and enters sorted mode; the selection stays with its rows.
    void Sort();
    // Removes every row whose caption equals one of the paths exactly, in one pass.
    void RemoveItemsByPath(const std::vector<std::wstring>& paths);
    // The control keeps its selection by position; a change that moves rows carries it over by
    // row id: the selected rows' ids before the change (but those at the sorted positions in
    // `leaving`), then after it those rows selected again, and no other.
    std::vector<size_t> SelectedRows() const;
    std::vector<uint64_t> SelectedIds(const std::vector<size_t>& leaving = {}) const;
    void SelectIds(const std::vector<uint64_t>& ids);

    HWND owner_;
    std::wstring& lastFolder_;
    Callbacks callbacks_;
    ListViewControl list_;
    HMENU menu_ = nullptr;
    FileListModel rows_;
    std::vector<std::wstring> scanList_;
    bool descending_ = false;
    int sortedColumn_ = 0;
    int pathMinimum_ = 20, resultWidth_ = 71;
};

}  // namespace corvana
