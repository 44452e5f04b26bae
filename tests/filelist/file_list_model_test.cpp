#include "filelist/file_list_model.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

std::vector<std::wstring> Captions(const FileListModel& m) {
    std::vector<std::wstring> c;
    for (size_t i = 0; i < m.Count(); ++i) c.push_back(m.At(i).caption);
    return c;
}

bool ByCaption(const FileItem& a, const FileItem& b) {
    return a.caption < b.caption;
}

TEST(FileListModel, RefusesAnExactDuplicateOnly) {
    FileListModel m;
    EXPECT_EQ(m.Add(L"C:\\a.mp3"), 0u);
    EXPECT_EQ(m.Add(L"C:\\a.mp3"), std::nullopt);
    EXPECT_EQ(m.Add(L"c:\\A.mp3"), 1u);
    EXPECT_EQ(m.Add(L"C:/a.mp3"), 2u);
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"C:\\a.mp3", L"c:\\A.mp3", L"C:/a.mp3"}));
    EXPECT_EQ(m.At(0).result, L"");
}

TEST(FileListModel, ACaptionIsFreeAgainOnceItsRowIsGone) {
    FileListModel m;
    m.Add(L"a");
    m.Add(L"b");
    m.RemovePositions({0});
    EXPECT_FALSE(m.Contains(L"a"));
    EXPECT_EQ(m.Add(L"a"), 1u);
    m.Clear();
    EXPECT_TRUE(m.Empty());
    EXPECT_EQ(m.Add(L"b"), 0u);
}

TEST(FileListModel, AResultReachesItsOwnRowAfterSortAndRemoval) {
    FileListModel m;
    for (const wchar_t* c : {L"d", L"b", L"c", L"a"}) m.Add(c);
    const uint64_t idOfC = m.At(2).id;
    const uint64_t idOfD = m.At(0).id;
    m.SetSortOrder(ByCaption);
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(m.PositionOf(idOfC), 2u);
    m.RemovePositions({3});  // "d"
    EXPECT_TRUE(m.SetResult(idOfC, L"OK"));
    EXPECT_FALSE(m.SetResult(idOfD, L"OK"));
    EXPECT_EQ(m.PositionOf(idOfD), std::nullopt);
    EXPECT_EQ(m.At(0).result + m.At(1).result + m.At(2).result, L"OK");
    EXPECT_EQ(m.At(2).result, L"OK");
    // A re-added caption is another row: an old job's id does not reach it.
    m.Add(L"d");
    EXPECT_FALSE(m.SetResult(idOfD, L"Error"));
    EXPECT_EQ(m.At(3).result, L"");
}

TEST(FileListModel, SortedModePlacesNewRowsAndBatchesSortOnce) {
    FileListModel m;
    for (const wchar_t* c : {L"b", L"d"}) m.Add(c);
    m.SetSortOrder(ByCaption);
    EXPECT_EQ(m.Add(L"c"), 1u);
    EXPECT_EQ(m.Add(L"a"), 0u);
    m.BeginBatch();
    m.Add(L"f");
    m.Add(L"e");
    EXPECT_EQ(Captions(m).back(), L"e") << "inside a batch rows are appended";
    m.EndBatch();
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e", L"f"}));
}

TEST(FileListModel, SortKeepsTheOrderOfEqualRows) {
    FileListModel m;
    for (const wchar_t* c : {L"x2", L"y1", L"x1", L"y2"}) m.Add(c);
    m.SetSortOrder([](const FileItem& a, const FileItem& b) { return a.caption[0] < b.caption[0]; });
    EXPECT_EQ(Captions(m), (std::vector<std::wstring>{L"x2", L"x1", L"y1", L"y2"}));
    EXPECT_EQ(m.Add(L"x0"), 2u) << "after the rows that compare equal";
}

TEST(FileListModel, RemovesEverySecondRowOfAHundredThousand) {
    FileListModel m;
    for (int i = 0; i < 100000; ++i) m.Add(L"C:\\music\\" + std::to_wstring(i) + L".mp3");
    EXPECT_EQ(m.Add(L"C:\\music\\99999.mp3"), std::nullopt);
    std::vector<size_t> odd;
    for (size_t i = 1; i < m.Count(); i += 2) odd.push_back(i);
    m.RemovePositions(odd);
    ASSERT_EQ(m.Count(), 50000u);
    EXPECT_EQ(m.At(1).caption, L"C:\\music\\2.mp3");
    EXPECT_FALSE(m.Contains(L"C:\\music\\1.mp3"));
    EXPECT_TRUE(m.Contains(L"C:\\music\\99998.mp3"));
    EXPECT_EQ(m.PositionOf(m.At(49999).id), 49999u);
}

}  // namespace
}  // namespace corvana
