// Commands on the list: sorting, selecting, removing, clearing.
#include "filelist/file_list_view_win.h"

#include <algorithm>

#include "filelist/list_compare.h"

namespace corvana {

namespace {

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

std::vector<size_t> FileListView::SelectedRows() const {
    std::vector<size_t> rows;
    rows.reserve(ListView_GetSelectedCount(list_.Handle()));
    for (int i = -1; (i = ListView_GetNextItem(list_.Handle(), i, LVNI_SELECTED)) != -1;)
        rows.push_back(static_cast<size_t>(i));
    return rows;
}

std::vector<uint64_t> FileListView::SelectedIds(const std::vector<size_t>& leaving) const {
    std::vector<uint64_t> ids;
    for (size_t row : SelectedRows())
        if (row < rows_.Count() && !std::binary_search(leaving.begin(), leaving.end(), row))
            ids.push_back(rows_.At(row).id);
    return ids;
}

void FileListView::SelectIds(const std::vector<uint64_t>& ids) {
    std::vector<size_t> rows;
    rows.reserve(ids.size());
    for (uint64_t id : ids)
        if (const auto row = rows_.PositionOf(id)) rows.push_back(*row);
    // First to last: the cheap order for the control's selection ranges.
    std::sort(rows.begin(), rows.end());
    ClearSelection();
    for (size_t row : rows) ListView_SetItemState(list_.Handle(), static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
}

std::vector<std::wstring> FileListView::SelectedCaptions() const {
    std::vector<std::wstring> captions;
    for (size_t row : SelectedRows())
        if (row < rows_.Count()) captions.push_back(rows_.At(row).caption);
    return captions;
}

void FileListView::Sort() {
    // The control keeps the selection by position, so it is carried over by row id. With none or
    // all rows selected there is nothing to carry (Select All and then a sort stays cheap).
    const size_t count = rows_.Count();
    const size_t selectedCount = ListView_GetSelectedCount(list_.Handle());
    const std::vector<uint64_t> selectedIds =
        selectedCount != 0 && selectedCount != count ? SelectedIds() : std::vector<uint64_t>{};
    const int focused = FocusedRow(list_.Handle());
    const std::optional<uint64_t> focusedId = focused >= 0 && static_cast<size_t>(focused) < count
                                                  ? std::optional(rows_.At(static_cast<size_t>(focused)).id)
                                                  : std::nullopt;

    rows_.SetSortOrder(ListOrder(sortedColumn_, descending_));

    SuspendRedraw redraw(list_.Handle());
    if (!selectedIds.empty()) SelectIds(selectedIds);
    if (focusedId) SetFocusedRow(list_.Handle(), rows_.PositionOf(*focusedId));
    Refresh();
}

LRESULT FileListView::OnColumnClick(const NMLISTVIEW& info) {
    if (info.iSubItem == sortedColumn_) {
        descending_ = !descending_;
    } else {
        sortedColumn_ = info.iSubItem;
        descending_ = false;
    }
    // Also when the state was already in force: a second click always sorts again.
    Sort();
    return 0;
}

LRESULT FileListView::OnKeyDown(const NMLVKEYDOWN& info) {
    // Modifiers do not matter for Delete; for A only Ctrl does.
    if (info.wVKey == VK_DELETE) RemoveSelected();
    if (info.wVKey == 'A' && GetKeyState(VK_CONTROL) < 0) SelectAll();
    return 0;
}

void FileListView::SelectAll() {
    if (rows_.Empty()) return;
    // The control may mark the rows one by one; it repaints once at the end.
    SuspendRedraw redraw(list_.Handle());
    ListView_SetItemState(list_.Handle(), -1, LVIS_SELECTED, LVIS_SELECTED);
}

void FileListView::RemoveSelected() {
    const size_t count = rows_.Count();
    const size_t selectedCount = ListView_GetSelectedCount(list_.Handle());
    if (selectedCount == 0 || count == 0) return;
    std::vector<size_t> rows;
    if (selectedCount >= count) {
        rows.resize(count);
        for (size_t i = 0; i < count; ++i) rows[i] = i;
    } else {
        rows = SelectedRows();
    }
    // The focus stays on its row when that row stays.
    const int focused = FocusedRow(list_.Handle());
    std::optional<uint64_t> focusedId;
    if (focused >= 0 && static_cast<size_t>(focused) < count &&
        !std::binary_search(rows.begin(), rows.end(), static_cast<size_t>(focused)))
        focusedId = rows_.At(static_cast<size_t>(focused)).id;

    SuspendRedraw redraw(list_.Handle());
    // Every selected row goes, so no remaining row is selected.
    ClearSelection();
    if (const int stale = FocusedRow(list_.Handle()); stale >= 0)
        ListView_SetItemState(list_.Handle(), stale, 0, LVIS_FOCUSED);
    rows_.RemovePositions(std::move(rows));
    Refresh();
    if (focusedId) SetFocusedRow(list_.Handle(), rows_.PositionOf(*focusedId));
}

void FileListView::RemoveItemsByPath(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    const std::unordered_set<std::wstring_view> gone(paths.begin(), paths.end());
    std::vector<size_t> rows;
    for (size_t i = 0; i < rows_.Count(); ++i)
        if (gone.count(rows_.At(i).caption)) rows.push_back(i);
    if (rows.empty()) return;
    const std::vector<uint64_t> selectedIds = SelectedIds(rows);
    SuspendRedraw redraw(list_.Handle());
    ClearSelection();
    rows_.RemovePositions(std::move(rows));
    Refresh();
    SelectIds(selectedIds);
}

void FileListView::ClearSelection() {
    const UINT selected = ListView_GetSelectedCount(list_.Handle());
    if (selected == 0) return;
    // A few rows one by one, first to last (the cheap order for the control's ranges).
    constexpr UINT kOneByOne = 64;
    if (selected <= kOneByOne) {
        for (size_t row : SelectedRows())
            ListView_SetItemState(list_.Handle(), static_cast<int>(row), 0, LVIS_SELECTED);
        return;
    }
    // Many: the control's own way of unselecting every row splits its selection ranges one row at
    // a time, which costs the square of the number of ranges. Dropping the control's rows clears
    // them at once; the rows themselves live in the model and come back with the count.
    const int count = ListView_GetItemCount(list_.Handle());
    const int top = ListView_GetTopIndex(list_.Handle());
    const int focused = FocusedRow(list_.Handle());
    ListView_DeleteAllItems(list_.Handle());
    ListView_SetItemCountEx(list_.Handle(), count, LVSICF_NOSCROLL);
    // Back to the rows the user was looking at, wherever the control went meanwhile.
    RECT row{};
    const int shift = top - ListView_GetTopIndex(list_.Handle());
    if (shift != 0 && ListView_GetItemRect(list_.Handle(), 0, &row, LVIR_BOUNDS))
        ListView_Scroll(list_.Handle(), 0, shift * (row.bottom - row.top));
    if (focused >= 0) ListView_SetItemState(list_.Handle(), focused, LVIS_FOCUSED, LVIS_FOCUSED);
}

void FileListView::Clear() {
    // The sort state and sorted mode stay: files added later take their sorted places.
    ListView_DeleteAllItems(list_.Handle());
    rows_.Clear();
    Refresh();
}

}  // namespace corvana
