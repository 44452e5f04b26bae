// The list model in sorted mode with the list's own order (a column header clicked).
#include <gtest/gtest.h>

#include "filelist/file_list_model.h"
#include "filelist/list_compare.h"

namespace corvana {
namespace {

std::vector<std::wstring> Captions(const FileListModel& m) {
    std::vector<std::wstring> c;
    for (size_t i = 0; i < m.Count(); ++i) c.push_back(m.At(i).caption);
    return c;
}

uint64_t IdOf(const FileListModel& m, const std::wstring& caption) {
    for (size_t i = 0; i < m.Count(); ++i)
        if (m.At(i).caption == caption) return m.At(i).id;
    return 0;
}

// Sorted by "Result": results written afterwards leave the rows where they are, and the next
// addition sorts the whole list by the results as they are then.
TEST(ListOrderModel, AnAdditionAfterNewResultsSortsTheWholeList) {
    FileListModel m;
    for (const wchar_t* c : {L"a", L"b", L"c", L"d"}) m.Add(c);
    m.SetSortOrder(ListOrder(1, false));
    m.SetResult(IdOf(m, L"a"), L"OK");
    m.SetResult(IdOf(m, L"b"), L"Error");
    m.SetResult(IdOf(m, L"c"), L"OK");
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(m.Add(L"e"), 1u);
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"d", L"e", L"b", L"a", L"c"}));
    // In order again: the next addition goes straight to its place.
    m.SetResult(IdOf(m, L"e"), L"");
    EXPECT_EQ(m.Add(L"f"), 2u);
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"d", L"e", L"f", L"b", L"a", L"c"}));
}

TEST(ListOrderModel, EmptiedResultsAreSortedAgainOnTheNextAddition) {
    FileListModel m;
    for (const wchar_t* c : {L"x", L"y"}) m.Add(c);
    m.SetResult(IdOf(m, L"x"), L"OK");
    m.SetSortOrder(ListOrder(1, true));  // OK first
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"x", L"y"}));
    m.ClearResults();
    m.SetResult(IdOf(m, L"y"), L"OK");
    m.Add(L"z");
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"y", L"x", L"z"}));
}

}  // namespace
}  // namespace corvana
