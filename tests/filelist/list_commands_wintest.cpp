#include <algorithm>
#include <string>
#include <vector>

#include "filelist/list_compare.h"
#include "support/list_support.h"

namespace corvana::test {
namespace {

class ListCommands : public AppFixture {
protected:
    std::vector<std::wstring> Captions() const { return ListCaptions(form->Files().Handle()); }
    void SetResult(const std::wstring& caption, const std::wstring& result) {
        for (size_t i = 0; i < form->Files().Rows().Count(); ++i)
            if (form->Files().Rows().At(i).caption == caption)
                form->Files().Rows().SetResult(form->Files().Rows().At(i).id, result);
        form->Files().Refresh();
    }
};

// The rows in the order of the tests below: b (OK), a (Error), _c (""), D (OK).
const std::vector<std::wstring> kAdded{L"C:\\b.mp3", L"C:\\a.mp3", L"C:\\_c.mp3", L"C:\\D.mp3"};

struct ClickCase {
    const char* name;
    std::vector<int> clicks;  // column indexes, in order
    int sortedColumn;
    bool descending;
    std::vector<std::wstring> expected;
};

class ColumnClicks : public ListCommands, public testing::WithParamInterface<ClickCase> {};

TEST_P(ColumnClicks, SortAsTheClickRuleSays) {
    Start();
    for (const auto& c : kAdded) form->Files().AddFile(c);
    SetResult(L"C:\\b.mp3", L"OK");
    SetResult(L"C:\\a.mp3", L"Error");
    SetResult(L"C:\\D.mp3", L"OK");
    for (int column : GetParam().clicks) ClickColumnHeader(form->Files().Handle(), column);
    EXPECT_EQ(Captions(), GetParam().expected);
    EXPECT_EQ(form->Files().SortedColumn(), GetParam().sortedColumn);
    EXPECT_EQ(form->Files().Descending(), GetParam().descending);
    EXPECT_TRUE(form->Files().Rows().IsSorted());
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ColumnClicks,
    testing::Values(
        // A fresh list counts as sorted by "File" from low to high: the first click turns it round.
        ClickCase{"FileOnce", {0}, 0, true, {L"C:\\_c.mp3", L"C:\\D.mp3", L"C:\\b.mp3", L"C:\\a.mp3"}},
        ClickCase{"FileTwice", {0, 0}, 0, false, {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\D.mp3", L"C:\\_c.mp3"}},
        ClickCase{"FileThrice", {0, 0, 0}, 0, true, {L"C:\\_c.mp3", L"C:\\D.mp3", L"C:\\b.mp3", L"C:\\a.mp3"}},
        // Empty first, then "Error", then "OK"; equal results keep the order they had.
        ClickCase{"ResultOnce", {1}, 1, false, {L"C:\\_c.mp3", L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\D.mp3"}},
        ClickCase{"ResultTwice", {1, 1}, 1, true, {L"C:\\b.mp3", L"C:\\D.mp3", L"C:\\a.mp3", L"C:\\_c.mp3"}},
        ClickCase{
            "ResultTwiceThenFile", {1, 1, 0}, 0, false, {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\D.mp3", L"C:\\_c.mp3"}},
        ClickCase{"FileThenResult", {0, 1}, 1, false, {L"C:\\_c.mp3", L"C:\\a.mp3", L"C:\\D.mp3", L"C:\\b.mp3"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListCommands, TheSelectionStaysWithItsRowsWhenSorted) {
    Start();
    for (const auto& c : kAdded) form->Files().AddFile(c);
    SelectCaptions(form->Files().Handle(), {L"C:\\b.mp3", L"C:\\_c.mp3"});
    ListView_SetItemState(form->Files().Handle(), 0, LVIS_FOCUSED, LVIS_FOCUSED);  // b.mp3
    ClickColumnHeader(form->Files().Handle(), 0);
    EXPECT_EQ(SelectedCaptionsOf(form->Files().Handle()), (std::vector<std::wstring>{L"C:\\_c.mp3", L"C:\\b.mp3"}));
    EXPECT_EQ(RowText(form->Files().Handle(), ListView_GetNextItem(form->Files().Handle(), -1, LVNI_FOCUSED), 0),
              L"C:\\b.mp3");
}

TEST_F(ListCommands, InSortedModeAddedFilesTakeTheirPlaceAlsoAfterClear) {
    Start();
    for (const auto& c : kAdded) form->Files().AddFile(c);
    ClickColumnHeader(form->Files().Handle(), 0);  // Z to A
    form->Files().AddFile(L"C:\\c.mp3");
    EXPECT_EQ(Captions(),
              (std::vector<std::wstring>{L"C:\\_c.mp3", L"C:\\D.mp3", L"C:\\c.mp3", L"C:\\b.mp3", L"C:\\a.mp3"}));
    form->RunCommand(CMD_Clear);
    EXPECT_TRUE(Captions().empty());
    EXPECT_EQ(form->Files().SortedColumn(), 0);
    EXPECT_TRUE(form->Files().Descending());
    for (const auto& c : kAdded) form->Files().AddFile(c);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"C:\\_c.mp3", L"C:\\D.mp3", L"C:\\b.mp3", L"C:\\a.mp3"}));
}

// The run writes "OK" and "Error" into a list sorted by "Result"; no row moves for that.
TEST_F(ListCommands, ResultsWrittenByARunAfterASortMoveNoRow) {
    PlaceFFmpegBeside(folder.Path());
    TempFolder work(L"sorted-run");
    const std::wstring out = work / L"out";
    CreateDirectoryW(out.c_str(), nullptr);
    // In "File" order: a (Error), b (OK), c (Error), d (OK); sorted by "Result" they would move.
    MakeTone(work / L"b.wav");
    MakeTone(work / L"d.wav");
    WriteFileBytes(work / L"a.wav", "not audio");
    WriteFileBytes(work / L"c.wav", "not audio either");
    Start();
    SetWindowTextW(form->Options().TargetFolderEdit(), out.c_str());
    for (const wchar_t* n : {L"d.wav", L"c.wav", L"b.wav", L"a.wav"}) form->Files().AddFile(work / n);
    ClickColumnHeader(form->Files().Handle(), 1);
    const auto before = Captions();
    ASSERT_EQ(before, (std::vector<std::wstring>{work / L"d.wav", work / L"c.wav", work / L"b.wav", work / L"a.wav"}));
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Captions(), before);
    std::vector<std::wstring> results;
    for (int i = 0; i < 4; ++i) results.push_back(RowText(form->Files().Handle(), i, 1));
    EXPECT_EQ(results, (std::vector<std::wstring>{L"OK", L"Error", L"OK", L"Error"}));
    // Appending re-sorts the whole list by the results now in it.
    form->Files().AddFile(work / L"e.wav");
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{work / L"e.wav", work / L"c.wav", work / L"a.wav", work / L"d.wav",
                                                     work / L"b.wav"}));
}

struct KeyCase {
    const char* name;
    WPARAM key;
    std::vector<BYTE> modifiers;
    enum { Removes, SelectsAll, Nothing } effect;
};

class ListKeys : public ListCommands, public testing::WithParamInterface<KeyCase> {};

TEST_P(ListKeys, DeleteRemovesAndCtrlASelectsAll) {
    TempFolder work(L"keys");
    std::vector<std::wstring> files;
    for (const wchar_t* n : {L"a.mp3", L"b.mp3", L"c.mp3", L"d.mp3"}) {
        files.push_back(work / n);
        WriteFileBytes(files.back(), "x");
    }
    Start();
    for (const auto& f : files) form->Files().AddFile(f);
    SelectCaptions(form->Files().Handle(), {files[1], files[3]});
    const auto& c = GetParam();
    BYTE modifiers[3]{};
    std::copy(c.modifiers.begin(), c.modifiers.end(), modifiers);
    const HWND list = form->Files().Handle();
    switch (c.modifiers.size()) {
        case 0: PressKeyInList(list, c.key); break;
        case 1: PressKeyInList(list, c.key, {modifiers[0]}); break;
        default: PressKeyInList(list, c.key, {modifiers[0], modifiers[1]}); break;
    }
    switch (c.effect) {
        case KeyCase::Removes:
            EXPECT_EQ(Captions(), (std::vector<std::wstring>{files[0], files[2]}));
            EXPECT_TRUE(SelectedPositions(list).empty());
            break;
        case KeyCase::SelectsAll:
            EXPECT_EQ(Captions(), files);
            EXPECT_EQ(SelectedPositions(list), (std::vector<int>{0, 1, 2, 3}));
            break;
        case KeyCase::Nothing:
            EXPECT_EQ(Captions(), files);
            EXPECT_EQ(SelectedCaptionsOf(list), (std::vector<std::wstring>{files[1], files[3]}));
            break;
    }
    for (const auto& f : files) EXPECT_TRUE(PathExists(f)) << "the list commands never touch a file";
}

INSTANTIATE_TEST_SUITE_P(Keys, ListKeys,
                         testing::Values(KeyCase{"Delete", VK_DELETE, {}, KeyCase::Removes},
                                         KeyCase{"ShiftDelete", VK_DELETE, {VK_SHIFT}, KeyCase::Removes},
                                         KeyCase{"CtrlDelete", VK_DELETE, {VK_CONTROL}, KeyCase::Removes},
                                         KeyCase{"CtrlA", 'A', {VK_CONTROL}, KeyCase::SelectsAll},
                                         KeyCase{"CtrlShiftA", 'A', {VK_CONTROL, VK_SHIFT}, KeyCase::SelectsAll},
                                         KeyCase{"PlainA", 'A', {}, KeyCase::Nothing},
                                         KeyCase{"ShiftA", 'A', {VK_SHIFT}, KeyCase::Nothing}),
                         [](const auto& info) { return std::string(info.param.name); });

// Tabbing into a list without a focused row shows the focus mark on the first row, and selects
// nothing; a row that has the focus keeps it.
TEST_F(ListCommands, TheListShowsWhereTheFocusIsWhenItGetsIt) {
    Start();
    for (const auto& c : kAdded) form->Files().AddFile(c);
    const HWND list = form->Files().Handle();
    ASSERT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), -1);
    SetFocus(form->Options().FormatBox());
    SetFocus(list);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
    ListView_SetItemState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);
    SetFocus(form->Options().FormatBox());
    SetFocus(list);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 2);
}

TEST_F(ListCommands, WithNothingSelectedRemovingChangesNothing) {
    Start();
    for (const auto& c : kAdded) form->Files().AddFile(c);
    form->RunCommand(CMD_RemoveFromList);
    PressKeyInList(form->Files().Handle(), VK_DELETE);
    EXPECT_EQ(Captions(), kAdded);
}

TEST_F(ListCommands, RemoveFromListTakesTheSelectedRowsAndKeepsTheFocusedOne) {
    Start();
    for (int i = 0; i < 10; ++i) form->Files().AddFile(L"C:\\" + std::to_wstring(i) + L".mp3");
    SelectCaptions(form->Files().Handle(), {L"C:\\0.mp3", L"C:\\4.mp3", L"C:\\5.mp3", L"C:\\9.mp3"});
    ListView_SetItemState(form->Files().Handle(), 7, LVIS_FOCUSED, LVIS_FOCUSED);
    form->RunCommand(CMD_RemoveFromList);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"C:\\1.mp3", L"C:\\2.mp3", L"C:\\3.mp3", L"C:\\6.mp3",
                                                     L"C:\\7.mp3", L"C:\\8.mp3"}));
    EXPECT_TRUE(SelectedPositions(form->Files().Handle()).empty());
    EXPECT_EQ(ListView_GetNextItem(form->Files().Handle(), -1, LVNI_FOCUSED), 4);
    // Every row selected: the list empties.
    form->RunCommand(CMD_SelectAll);
    form->RunCommand(CMD_RemoveFromList);
    EXPECT_TRUE(Captions().empty());
    form->RunCommand(CMD_SelectAll);
    EXPECT_TRUE(SelectedPositions(form->Files().Handle()).empty());
}

// Past a few dozen selected rows the selection is cleared in one go; the rows, the selection of
// the rows that stay selected and the scroll position come through it.
TEST_F(ListCommands, ManySelectedRowsSurviveASortAndGoWithRemove) {
    Start();
    std::vector<std::wstring> all, chosen;
    form->Files().Rows().BeginBatch();  // shown together, as a folder load shows its files
    for (int i = 0; i < 300; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"C:\\%03d.mp3", i);
        all.push_back(name);
        if (i % 3 == 1) chosen.push_back(name);
        form->Files().AddFile(name);
    }
    form->Files().Rows().EndBatch();
    form->Files().Refresh();
    SelectCaptions(form->Files().Handle(), chosen);
    ListView_EnsureVisible(form->Files().Handle(), 200, FALSE);
    const int top = ListView_GetTopIndex(form->Files().Handle());
    ASSERT_GT(top, 0);

    ClickColumnHeader(form->Files().Handle(), 0);  // Z to A
    auto selected = SelectedCaptionsOf(form->Files().Handle());
    std::reverse(selected.begin(), selected.end());
    EXPECT_EQ(selected, chosen);
    EXPECT_EQ(ListView_GetTopIndex(form->Files().Handle()), top);

    form->RunCommand(CMD_RemoveFromList);
    std::vector<std::wstring> left;
    for (int i = 299; i >= 0; --i)
        if (i % 3 != 1) left.push_back(all[static_cast<size_t>(i)]);
    EXPECT_EQ(Captions(), left);
    EXPECT_TRUE(SelectedPositions(form->Files().Handle()).empty());
}

}  // namespace
}  // namespace corvana::test
