#include <atomic>

#include "common/text.h"
#include "support/conversion_support.h"
#include "support/dialog_watcher.h"
#include "support/maker_standin.h"

namespace corvana::test {
namespace {

class FileList : public AppFixture {
protected:
    TempFolder work{L"list"};
    std::vector<std::wstring> Captions() const {
        std::vector<std::wstring> c;
        for (int i = 0; i < ListView_GetItemCount(form->Files().Handle()); ++i)
            c.push_back(RowText(form->Files().Handle(), i, 0));
        return c;
    }
    // Files are listed by the file system in the order it keeps; the scan must keep that order.
    std::vector<std::wstring> Enumerated(const std::wstring& dir) const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
};

TEST_F(FileList, AddFileRefusesOnlyAnExactDuplicate) {
    Start();
    form->Files().AddFile(L"C:\\a.mp3");
    form->Files().AddFile(L"C:\\a.mp3");
    form->Files().AddFile(L"c:\\A.mp3");
    form->Files().AddFile(L"C:\\notes.txt");
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"C:\\a.mp3", L"c:\\A.mp3", L"C:\\notes.txt"}));
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"");
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 1;
    ASSERT_TRUE(ListView_GetItem(form->Files().Handle(), &item));
    EXPECT_EQ(item.iImage, kFileSoundImage);
}

TEST_F(FileList, ALongPathShowsWhole) {
    Start();
    const std::wstring path = L"C:\\" + std::wstring(400, L'x') + L".mp3";
    form->Files().AddFile(path);
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 0), path);
}

// Depth first in the file system's order; hidden files too; .opus and other types passed over.
TEST_F(FileList, AddFolderContentsScansDepthFirstInEnumerationOrder) {
    Start();
    const std::wstring root = work / L"music";
    for (const wchar_t* d : {L"music", L"music\\b sub", L"music\\b sub\\inner", L"music\\z"})
        ASSERT_TRUE(CreateDirectoryW((work / d).c_str(), nullptr));
    for (const wchar_t* f :
         {L"music\\a.MP3", L"music\\b.opus", L"music\\c.txt", L"music\\d.wav", L"music\\b sub\\x.flac",
          L"music\\b sub\\inner\\y.ogg", L"music\\z\\w.wv", L"music\\e.mp3.bak"})
        WriteFileBytes(work / f, "");
    SetFileAttributesW((work / L"music\\d.wav").c_str(), FILE_ATTRIBUTE_HIDDEN);

    // What the scan must give: the file system's order, folders entered where they come.
    std::vector<std::wstring> expected;
    std::function<void(const std::wstring&)> walk = [&](const std::wstring& dir) {
        for (const auto& name : Enumerated(dir)) {
            const std::wstring path = dir + L"\\" + name;
            if (DirectoryExists(path))
                walk(path);
            else if (name != L"b.opus" && name != L"c.txt" && name != L"e.mp3.bak")
                expected.push_back(path);
        }
    };
    walk(root);
    ASSERT_EQ(expected.size(), 5u);

    form->Files().AddFolderContents(root);
    EXPECT_EQ(Captions(), expected);
    EXPECT_EQ(form->Files().ScanList(), expected);
    EXPECT_EQ(form->LastFolder(), root);
    EXPECT_EQ(form->StatusText(), L"");
    EXPECT_FALSE(Application::IsBusyCursor());

    form->Files().AddFolderContents(root + L"\\");
    EXPECT_EQ(Captions(), expected) << "the same files once more add nothing";
    form->Files().AddFolderContents(root);
    EXPECT_EQ(Captions().size(), 5u);
}

// Folder links are followed, but every folder is read once: two links back to the top (which would
// repeat the tree, doubling at every level, down to the longest path) and a second link to a
// folder already read add each file once.
TEST_F(FileList, FolderLinksAreFollowedButEveryFolderIsReadOnce) {
    Start();
    const std::wstring root = work / L"linked";
    for (const std::wstring& d : {root, root + L"\\sub", work / L"elsewhere"})
        ASSERT_TRUE(CreateDirectoryW(d.c_str(), nullptr));
    for (const std::wstring& f : {root + L"\\a.mp3", root + L"\\sub\\b.mp3", work / L"elsewhere\\c.mp3"})
        WriteFileBytes(f, "");
    // Wine makes Windows links as Unix symbolic links; made that way here, it shows them as links.
    const std::vector<std::pair<std::wstring, std::wstring>> links = {{root + L"\\sub\\up", root},
                                                                      {root + L"\\sub\\up again", root},
                                                                      {root + L"\\out", work / L"elsewhere"},
                                                                      {root + L"\\sub\\out too", work / L"elsewhere"}};
    for (const auto& [link, target] : links) {
        ASSERT_TRUE(SpawnUnixProgram({"ln", "-s", UnixPathOf(target), UnixPathOf(link)}));
        ASSERT_TRUE(PumpUntil([&] { return DirectoryExists(link); }, 5000)) << "no link at " << EncodeUtf8(link);
    }
    const ScopeExit removeLinks([&] {
        for (const auto& [link, target] : links) SpawnUnixProgram({"rm", "-f", UnixPathOf(link)});
        PumpUntil([&] { return !PathExists(links.back().first); }, 5000);
    });

    form->Files().AddFolderContents(root);
    std::vector<std::wstring> names;
    for (const auto& caption : Captions()) names.push_back(caption.substr(caption.rfind(L'\\') + 1));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.mp3", L"b.mp3", L"c.mp3"})) << testing::PrintToString(Captions());
}

// A link back to a folder between the starting folder and the link (not the starting folder
// itself) also closes a loop: that folder is being read already, so the link adds nothing.
TEST_F(FileList, ALinkToAFolderAboveItInsideTheTreeAddsNothing) {
    Start();
    const std::wstring root = work / L"looped", middle = root + L"\\middle", link = middle + L"\\deeper\\back";
    for (const std::wstring& d : {root, middle, middle + L"\\deeper"})
        ASSERT_TRUE(CreateDirectoryW(d.c_str(), nullptr));
    for (const std::wstring& f : {root + L"\\a.mp3", middle + L"\\b.mp3", middle + L"\\deeper\\c.mp3"})
        WriteFileBytes(f, "");
    ASSERT_TRUE(SpawnUnixProgram({"ln", "-s", UnixPathOf(middle), UnixPathOf(link)}));
    ASSERT_TRUE(PumpUntil([&] { return DirectoryExists(link); }, 5000));
    const ScopeExit removeLink([&] {
        SpawnUnixProgram({"rm", "-f", UnixPathOf(link)});
        PumpUntil([&] { return !PathExists(link); }, 5000);
    });

    form->Files().AddFolderContents(root);
    std::vector<std::wstring> captions = Captions();
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ(captions,
              (std::vector<std::wstring>{root + L"\\a.mp3", middle + L"\\b.mp3", middle + L"\\deeper\\c.mp3"}));
}

// "Add Folder..." opens at the last folder every time, also after the dialog has been used for
// another folder (which it would otherwise open at again): its list then shows that folder's
// contents.
TEST_F(FileList, AddFolderOpensAtTheLastFolderEveryTime) {
    Start();
    const std::wstring first = work / L"first", second = work / L"second";
    for (const std::wstring& folder : {first, second, first + L"\\inside first", second + L"\\inside second"})
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    {
        DialogWatcher watcher(DialogWatcher::TypeNameAndConfirm(first));
        form->RunCommand(CMD_AddFolder);
        ASSERT_EQ(watcher.Count(), 1u);
    }
    ASSERT_EQ(form->LastFolder(), first);
    form->Files().AddFolderContents(second);

    std::atomic<bool> showsSecond{false};
    DialogWatcher watcher([&showsSecond](const DialogSnapshot& d) {
        HWND list = nullptr;
        for (const auto& c : d.controls)
            if (c.className == L"SysListView32") list = c.hwnd;
        for (int i = 0; list && i < 60 && !showsSecond; ++i) {
            for (int item = 0; item < ListView_GetItemCount(list); ++item)
                if (RowText(list, item, 0) == L"inside second") showsSecond = true;
            if (!showsSecond) Sleep(50);
        }
        DialogWatcher::Press(IDCANCEL)(d);
    });
    form->RunCommand(CMD_AddFolder);
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_TRUE(showsSecond) << "the dialog opened in the last folder";
}

TEST_F(FileList, AMissingOrEmptyFolderAddsNothingButIsRemembered) {
    Start();
    CreateDirectoryW((work / L"empty").c_str(), nullptr);
    for (const std::wstring& f : {work / L"empty", work / L"missing"}) {
        form->Files().AddFolderContents(f);
        EXPECT_TRUE(Captions().empty());
        EXPECT_EQ(form->LastFolder(), f);
        EXPECT_EQ(form->StatusText(), L"");
    }
}

TEST_F(FileList, InSortedModeNewRowsTakeTheirPlaceAndTheSelectionFollowsItsRows) {
    Start();
    for (const wchar_t* n : {L"b.mp3", L"d.mp3"}) form->Files().AddFile(work / n);
    form->Files().Rows().SetSortOrder([](const FileItem& x, const FileItem& y) { return x.caption < y.caption; });
    form->Files().Refresh();
    ListView_SetItemState(form->Files().Handle(), 1, LVIS_SELECTED, LVIS_SELECTED);  // d.mp3
    form->Files().AddFile(work / L"a.mp3");
    CreateDirectoryW((work / L"c").c_str(), nullptr);
    WriteFileBytes(work / L"c\\c.mp3", "");
    form->Files().AddFolderContents(work / L"c");
    EXPECT_EQ(Captions(),
              (std::vector<std::wstring>{work / L"a.mp3", work / L"b.mp3", work / L"c\\c.mp3", work / L"d.mp3"}));
    EXPECT_EQ(ListView_GetNextItem(form->Files().Handle(), -1, LVNI_SELECTED), 3);
    EXPECT_EQ(ListView_GetSelectedCount(form->Files().Handle()), 1u);
}

}  // namespace
}  // namespace corvana::test
