#include "options/folder_picker_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "support/dialog_watcher.h"
#include "win/system_win.h"

namespace corvana::test {
namespace {

// Presses OK once the dialog's tree has reached `folder`: the dialog fills its tree in late and
// walks down to the selection level by level. Wine's dialog now and then stops the walk part-way
// while the tree is still filling; once the caret has stayed on one of the folder's parents (so
// the program did ask for the folder: without the request it stays on the drive), the request is
// made again.
DialogWatcher::Action ConfirmSelection(std::wstring folder) {
    return [folder](const DialogSnapshot& d) {
        HWND tree = nullptr;
        for (const auto& c : d.controls)
            if (c.className == L"SysTreeView32") tree = c.hwnd;
        const std::wstring leaf = folder.substr(folder.rfind(L'\\') + 1);
        const auto caretText = [tree] {
            const auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            wchar_t text[MAX_PATH]{};
            TVITEMW item{};
            item.mask = TVIF_TEXT;
            item.hItem = caret;
            item.pszText = text;
            item.cchTextMax = MAX_PATH;
            return caret && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? std::wstring(text)
                                                                                                 : std::wstring();
        };
        const auto isParentName = [&folder](const std::wstring& name) {
            return !name.empty() && folder.find(L"\\" + name + L"\\") != std::wstring::npos;
        };
        bool askedAgain = false;
        for (int i = 0; tree && i < 200; ++i) {
            const std::wstring text = caretText();
            if (text == leaf) break;
            if (i == 60 && !askedAgain && isParentName(text)) {
                SendMessageW(d.hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
                askedAgain = true;
            }
            Sleep(50);
        }
        DialogWatcher::Press(IDOK)(d);
    };
}

// The classic dialog of systems before version 6, which Wine also offers.
TEST(ClassicFolderDialog, PreselectsAnExistingLastFolderAndConfirmsIt) {
    TempFolder last(L"classic");
    std::wstring lastFolder = last.Path();
    DialogWatcher watcher(ConfirmSelection(last.Path()));
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
