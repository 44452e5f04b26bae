#include "filelist/file_list_model.h"

#include <algorithm>

namespace corvana {

std::optional<size_t> FileListModel::Add(std::wstring caption, std::shared_ptr<const std::wstring> addedFrom) {
    auto item = std::make_unique<FileItem>();
    item->caption = std::move(caption);
    item->addedFrom = std::move(addedFrom);
    FileItem* raw = item.get();
    if (!captions_.insert(raw->caption).second) return std::nullopt;
    item->id = nextId_++;

    size_t position = rows_.size();
    if (less_ && batch_ == 0 && orderStale_) {
        // Results written since the last sort may have put rows out of order: sort them all.
        rows_.push_back(std::move(item));
        SortRows();
        return PositionOf(raw->id);
    }
    if (less_ && batch_ == 0) {
        const auto at = std::upper_bound(rows_.begin(), rows_.end(), raw,
                                         [this](const FileItem* a, const auto& b) { return less_(*a, *b); });
        position = static_cast<size_t>(at - rows_.begin());
        rows_.insert(at, std::move(item));
        positionsValid_ = false;
    } else {
        rows_.push_back(std::move(item));
        if (less_) batchAdded_ = true;
        positionsValid_ = false;
    }
    return position;
}

void FileListModel::Reserve(size_t more) {
    rows_.reserve(rows_.size() + more);
    captions_.reserve(captions_.size() + more);
}

void FileListModel::EndBatch() {
    if (batch_ > 0 && --batch_ == 0 && batchAdded_) {
        batchAdded_ = false;
        SortRows();
    }
}

const FileItem* FileListModel::Find(uint64_t id) const {
    const auto position = PositionOf(id);
    return position ? rows_[*position].get() : nullptr;
}

std::optional<size_t> FileListModel::PositionOf(uint64_t id) const {
    if (!positionsValid_) {
        positions_.clear();
        positions_.reserve(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i) positions_[rows_[i]->id] = i;
        positionsValid_ = true;
    }
    const auto it = positions_.find(id);
    if (it == positions_.end()) return std::nullopt;
    return it->second;
}

bool FileListModel::SetResult(uint64_t id, std::wstring result) {
    const auto position = PositionOf(id);
    if (!position) return false;
    rows_[*position]->result = std::move(result);
    if (less_) orderStale_ = true;
    return true;
}

void FileListModel::ClearResults() {
    for (auto& row : rows_) row->result.clear();
    if (less_) orderStale_ = true;
}

void FileListModel::Clear() {
    captions_.clear();
    positions_.clear();
    positionsValid_ = true;
    orderStale_ = false;
    rows_.clear();
}

void FileListModel::RemovePositions(std::vector<size_t> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    size_t next = 0, write = 0;
    for (size_t read = 0; read < rows_.size(); ++read) {
        if (next < positions.size() && positions[next] == read) {
            ++next;
            captions_.erase(std::wstring_view(rows_[read]->caption));
            rows_[read].reset();
            continue;
        }
        if (write != read) rows_[write] = std::move(rows_[read]);
        ++write;
    }
    rows_.resize(write);
    positionsValid_ = false;
}

void FileListModel::SetSortOrder(Less less) {
    less_ = std::move(less);
    SortRows();
}

void FileListModel::SortRows() {
    if (!less_) return;
    std::stable_sort(
        rows_.begin(), rows_.end(),
        [this](const std::unique_ptr<FileItem>& a, const std::unique_ptr<FileItem>& b) { return less_(*a, *b); });
    positionsValid_ = false;
    orderStale_ = false;
}

}  // namespace corvana
