// Commands on the list: sorting, selecting, removing, clearing.
#include "app/main_win.h"

#include <algorithm>

#include "filelist/list_compare.h"

namespace corvana {

namespace {

std::vector<size_t> SelectedRows(HWND list) {
    std::vector<size_t> rows;
    rows.reserve(ListView_GetSelectedCount(list));
    for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) != -1;) rows.push_back(static_cast<size_t>(i));
    return rows;
}

int FocusedRow(HWND list) {
    return ListView_GetNextItem(list, -1, LVNI_FOCUSED);
}

void SetFocusedRow(HWND list, std::optional<size_t> row) {
    if (row) {
        ListView_SetItemState(list, static_cast<int>(*row), LVIS_FOCUSED, LVIS_FOCUSED);
    } else {
        ListView_SetItemState(list, -1, 0, LVIS_FOCUSED);
    }
}

// Rows change while the control does not paint; it repaints once at the end.
class SuspendRedraw {
public:
    explicit SuspendRedraw(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
    ~SuspendRedraw() {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    SuspendRedraw(const SuspendRedraw&) = delete;
    SuspendRedraw& operator=(const SuspendRedraw&) = delete;

private:
    HWND list_;
};

}  // namespace

std::vector<std::wstring> MainWindow::SelectedCaptions() const {
    std::vector<std::wstring> captions;
    for (size_t row : SelectedRows(fileListView))
        if (row < FileList.Count()) captions.push_back(FileList.At(row).caption);
    return captions;
}

void MainWindow::SortFileList() {
    // The control keeps the selection by position, so it is carried over by row id. With none or
    // all rows selected there is nothing to carry (Select All and then a sort stays cheap).
    const size_t count = FileList.Count();
    const size_t selectedCount = ListView_GetSelectedCount(fileListView);
    std::vector<uint64_t> selectedIds;
    if (selectedCount != 0 && selectedCount != count)
        for (size_t row : SelectedRows(fileListView)) selectedIds.push_back(FileList.At(row).id);
    const int focused = FocusedRow(fileListView);
    const std::optional<uint64_t> focusedId = focused >= 0 && static_cast<size_t>(focused) < count
                                                  ? std::optional(FileList.At(static_cast<size_t>(focused)).id)
                                                  : std::nullopt;

    FileList.SetSortOrder(ListOrder(SortedColumn, Descending));

    SuspendRedraw redraw(fileListView);
    if (!selectedIds.empty()) {
        std::vector<size_t> rows;
        rows.reserve(selectedIds.size());
        for (uint64_t id : selectedIds)
            if (const auto row = FileList.PositionOf(id)) rows.push_back(*row);
        std::sort(rows.begin(), rows.end());
        ClearFileListSelection();
        for (size_t row : rows) ListView_SetItemState(fileListView, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    }
    if (focusedId) SetFocusedRow(fileListView, FileList.PositionOf(*focusedId));
    FileListChanged();
}

LRESULT MainWindow::OnColumnClick(const NMLISTVIEW& info) {
    if (info.iSubItem == SortedColumn) {
        Descending = !Descending;
    } else {
        SortedColumn = info.iSubItem;
        Descending = false;
    }
    // Also when the state was already in force: a second click always sorts again.
    SortFileList();
    return 0;
}

LRESULT MainWindow::OnFileListKeyDown(const NMLVKEYDOWN& info) {
    // Modifiers do not matter for Delete; for A only Ctrl does.
    if (info.wVKey == VK_DELETE) RemoveSelected();
    if (info.wVKey == 'A' && GetKeyState(VK_CONTROL) < 0) SelectAll();
    return 0;
}

void MainWindow::SelectAll() {
    if (FileList.Empty()) return;
    // The control may mark the rows one by one; it repaints once at the end.
    SuspendRedraw redraw(fileListView);
    ListView_SetItemState(fileListView, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void MainWindow::RemoveSelected() {
    const size_t count = FileList.Count();
    const size_t selectedCount = ListView_GetSelectedCount(fileListView);
    if (selectedCount == 0 || count == 0) return;
    std::vector<size_t> rows;
    if (selectedCount >= count) {
        rows.resize(count);
        for (size_t i = 0; i < count; ++i) rows[i] = i;
    } else {
        rows = SelectedRows(fileListView);
    }
    // The focus stays on its row when that row stays.
    const int focused = FocusedRow(fileListView);
    std::optional<uint64_t> focusedId;
    if (focused >= 0 && static_cast<size_t>(focused) < count &&
        !std::binary_search(rows.begin(), rows.end(), static_cast<size_t>(focused)))
        focusedId = FileList.At(static_cast<size_t>(focused)).id;

    SuspendRedraw redraw(fileListView);
    // Every selected row goes, so no remaining row is selected.
    ClearFileListSelection();
    if (const int stale = FocusedRow(fileListView); stale >= 0) ListView_SetItemState(fileListView, stale, 0, LVIS_FOCUSED);
    FileList.RemovePositions(std::move(rows));
    FileListChanged();
    if (focusedId) SetFocusedRow(fileListView, FileList.PositionOf(*focusedId));
}

void MainWindow::RemoveItemsByPath(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    const std::unordered_set<std::wstring_view> gone(paths.begin(), paths.end());
    std::vector<size_t> rows;
    for (size_t i = 0; i < FileList.Count(); ++i)
        if (gone.count(FileList.At(i).caption)) rows.push_back(i);
    if (rows.empty()) return;
    // The selection is kept by position in the control: carry it over the removal.
    std::vector<uint64_t> selectedIds;
    for (size_t row : SelectedRows(fileListView))
        if (!std::binary_search(rows.begin(), rows.end(), row)) selectedIds.push_back(FileList.At(row).id);
    SuspendRedraw redraw(fileListView);
    ClearFileListSelection();
    FileList.RemovePositions(std::move(rows));
    FileListChanged();
    for (uint64_t id : selectedIds)
        if (const auto row = FileList.PositionOf(id))
            ListView_SetItemState(fileListView, static_cast<int>(*row), LVIS_SELECTED, LVIS_SELECTED);
}

void MainWindow::ClearFileListSelection() {
    const UINT selected = ListView_GetSelectedCount(fileListView);
    if (selected == 0) return;
    // A few rows one by one, first to last (the cheap order for the control's ranges).
    constexpr UINT kOneByOne = 64;
    if (selected <= kOneByOne) {
        for (size_t row : SelectedRows(fileListView))
            ListView_SetItemState(fileListView, static_cast<int>(row), 0, LVIS_SELECTED);
        return;
    }
    // Many: the control's own way of unselecting every row splits its selection ranges one row at
    // a time, which costs the square of the number of ranges. Dropping the control's rows clears
    // them at once; the rows themselves live in the model and come back with the count.
    const int count = ListView_GetItemCount(fileListView);
    const int top = ListView_GetTopIndex(fileListView);
    const int focused = FocusedRow(fileListView);
    ListView_DeleteAllItems(fileListView);
    ListView_SetItemCountEx(fileListView, count, LVSICF_NOSCROLL);
    // Back to the rows the user was looking at, wherever the control went meanwhile.
    RECT row{};
    const int shift = top - ListView_GetTopIndex(fileListView);
    if (shift != 0 && ListView_GetItemRect(fileListView, 0, &row, LVIR_BOUNDS))
        ListView_Scroll(fileListView, 0, shift * (row.bottom - row.top));
    if (focused >= 0) ListView_SetItemState(fileListView, focused, LVIS_FOCUSED, LVIS_FOCUSED);
}

void MainWindow::ClearList() {
    // The sort state and sorted mode stay: files added later take their sorted places.
    ListView_DeleteAllItems(fileListView);
    FileList.Clear();
    FileListChanged();
}

}  // namespace corvana
