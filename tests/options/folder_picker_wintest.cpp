#include "options/folder_picker_win.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/dialog_watcher.h"
#include "win/system_win.h"

namespace corvana::test {
namespace {

// Presses OK once the dialog's tree has settled on its selection, which it may fill in late.
DialogWatcher::Action ConfirmSelection() {
    return [](const DialogSnapshot& d) {
        HWND tree = nullptr;
        for (const auto& c : d.controls)
            if (c.className == L"SysTreeView32") tree = c.hwnd;
        LRESULT previous = 0;
        int stable = 0;
        for (int i = 0; i < 100 && stable < 5; ++i) {
            const LRESULT caret = tree ? SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) : 1;
            stable = caret != 0 && caret == previous ? stable + 1 : 0;
            previous = caret;
            Sleep(50);
        }
        DialogWatcher::Press(IDOK)(d);
    };
}

// The classic dialog of systems before version 6, which Wine also offers.
TEST(ClassicFolderDialog, PreselectsAnExistingLastFolderAndConfirmsIt) {
    TempFolder last(L"classic");
    std::wstring lastFolder = last.Path();
    DialogWatcher watcher(ConfirmSelection());
    EXPECT_TRUE(PickFolderClassic(nullptr, lastFolder));
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(lastFolder, last.Path());
}

TEST(ClassicFolderDialog, MissingLastFolderIsEmptiedAndCancelKeepsItSo) {
    TempFolder base(L"classic");
    std::wstring lastFolder = base / L"gone";
    DialogWatcher watcher(DialogWatcher::Press(IDCANCEL));
    EXPECT_FALSE(PickFolderClassic(nullptr, lastFolder));
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(lastFolder, L"");
}

TEST(ClassicFolderDialog, CancelLeavesAnExistingLastFolder) {
    TempFolder last(L"classic");
    std::wstring lastFolder = last.Path();
    DialogWatcher watcher(DialogWatcher::Press(IDCANCEL));
    EXPECT_FALSE(PickFolderClassic(nullptr, lastFolder));
    EXPECT_EQ(lastFolder, last.Path());
}

}  // namespace
}  // namespace corvana::test
