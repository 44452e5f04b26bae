// The rows of the file list in their order: each row's source path (its caption), its result
// text and an id that stays with the row while rows are sorted, removed or added, so that a
// conversion's result reaches the row it was made for. Captions are unique (exact comparison);
// the duplicate test costs the same for 10 rows as for 100,000.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace corvana {

struct FileItem {
    uint64_t id = 0;
    std::wstring caption;
    std::wstring result;
    // The folder the row was found in by adding a folder (shared by that folder's rows); empty
    // for a row added as a file of its own.
    std::shared_ptr<const std::wstring> addedFrom;
};

class FileListModel {
public:
    using Less = std::function<bool(const FileItem&, const FileItem&)>;

    size_t Count() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const FileItem& At(size_t position) const { return *rows_[position]; }
    bool Contains(std::wstring_view caption) const { return captions_.count(caption) != 0; }

    // Adds a row with an empty result unless a row has exactly this caption; returns the new
    // row's position. In sorted mode the row takes its sorted place (after rows that compare
    // equal), except inside a batch, which sorts once at its end.
    std::optional<size_t> Add(std::wstring caption, std::shared_ptr<const std::wstring> addedFrom = nullptr);
    void BeginBatch() { ++batch_; }
    void EndBatch();
    bool InBatch() const { return batch_ > 0; }
    // Room for this many more rows, before a large load.
    void Reserve(size_t more);

    const FileItem* Find(uint64_t id) const;
    std::optional<size_t> PositionOf(uint64_t id) const;
    // Writes the result of the row with this id; false when that row is gone.
    bool SetResult(uint64_t id, std::wstring result);
    void ClearResults();

    void Clear();
    // Removes the rows at the given positions (any order, repeats ignored) in one pass.
    void RemovePositions(std::vector<size_t> positions);

    // Enters sorted mode with this order and sorts stably; later additions keep it.
    void SetSortOrder(Less less);
    bool IsSorted() const { return static_cast<bool>(less_); }

private:
    void SortRows();

    std::vector<std::unique_ptr<FileItem>> rows_;
    // Views into the rows' own captions; a row lives at a fixed address while it is in the list.
    std::unordered_set<std::wstring_view> captions_;
    // Built when first asked for after the rows changed, so that loading rows costs nothing extra.
    mutable std::unordered_map<uint64_t, size_t> positions_;
    mutable bool positionsValid_ = true;
    uint64_t nextId_ = 1;
    int batch_ = 0;
    bool batchAdded_ = false;
    // Results changed after the last sort: the rows need not be in order any more (a result is
    // written in place, so a run moves no row), and the next addition sorts them all.
    bool orderStale_ = false;
    Less less_;
};

}  // namespace corvana
