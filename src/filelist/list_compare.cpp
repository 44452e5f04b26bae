#include "filelist/list_compare.h"

#include <algorithm>
#include <climits>

namespace corvana {

namespace {

// Only a to z are folded, so that the six characters between Z and a ([ \ ] ^ _ `) sort after
// every letter and letters outside ASCII keep their code values.
int Fold(wchar_t c) {
    const int v = static_cast<int>(static_cast<unsigned>(c) & 0xFFFF);
    return v >= 0x61 && v <= 0x7A ? v - 32 : v;
}

}  // namespace

int CompareListText(std::wstring_view a, std::wstring_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = Fold(a[i]) - Fold(b[i]);
        if (d != 0) return d;
    }
    if (a.size() == b.size()) return 0;
    // Lengths beyond the range of int keep their sign.
    if (a.size() > b.size()) return static_cast<int>(std::min<size_t>(a.size() - b.size(), INT_MAX));
    return -static_cast<int>(std::min<size_t>(b.size() - a.size(), INT_MAX));
}

int CompareRows(const FileItem& item1, const FileItem& item2, int sortedColumn, bool descending) {
    const int c =
        sortedColumn == 1 ? CompareListText(item1.result, item2.result) : CompareListText(item1.caption, item2.caption);
    return descending ? -c : c;
}

FileListModel::Less ListOrder(int sortedColumn, bool descending) {
    return [sortedColumn, descending](const FileItem& a, const FileItem& b) {
        return CompareRows(a, b, sortedColumn, descending) < 0;
    };
}

}  // namespace corvana
