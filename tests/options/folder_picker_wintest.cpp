#include "options/folder_picker_win.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/dialog_watcher.h"
#include "win/system_win.h"

namespace corvana::test {
namespace {

// Presses OK once the dialog's tree has reached the folder named `leaf`: the dialog fills its tree
// in late and walks down to the selection level by level.
DialogWatcher::Action ConfirmSelection(std::wstring leaf) {
    return [leaf](const DialogSnapshot& d) {
        HWND tree = nullptr;
        for (const auto& c : d.controls)
            if (c.className == L"SysTreeView32") tree = c.hwnd;
        for (int i = 0; tree && i < 200; ++i) {
            const auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            wchar_t text[MAX_PATH]{};
            TVITEMW item{};
            item.mask = TVIF_TEXT;
            item.hItem = caret;
            item.pszText = text;
            item.cchTextMax = MAX_PATH;
            if (caret && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) && leaf == text) break;
            Sleep(50);
        }
        DialogWatcher::Press(IDOK)(d);
    };
}

// The classic dialog of systems before version 6, which Wine also offers.
TEST(ClassicFolderDialog, PreselectsAnExistingLastFolderAndConfirmsIt) {
    TempFolder last(L"classic");
    std::wstring lastFolder = last.Path();
    DialogWatcher watcher(ConfirmSelection(last.Path().substr(last.Path().rfind(L'\\') + 1)));
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
