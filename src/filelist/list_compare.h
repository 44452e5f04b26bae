// The order of the file list when a column header has been clicked.
#pragma once

#include <string_view>

#include "filelist/file_list_model.h"

namespace corvana {

// The list's text order: ASCII letters a-z count as their upper-case letters, every other UTF-16
// code unit by its value; at the first difference the result is the first unit minus the second,
// and a text that is a prefix of the other comes first (the difference of the lengths).
int CompareListText(std::wstring_view a, std::wstring_view b);

// CompareRows: column 0 compares the paths, column 1 the result texts; descending negates.
// Negative, zero or positive when item1 comes before, level with or after item2.
int CompareRows(const FileItem& item1, const FileItem& item2, int sortedColumn, bool descending);

// The same order for the list model's sorted mode.
FileListModel::Less ListOrder(int sortedColumn, bool descending);

}  // namespace corvana
