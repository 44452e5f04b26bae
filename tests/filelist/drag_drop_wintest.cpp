#include <shlobj.h>

#include <string>
#include <vector>

#include "support/list_support.h"

namespace corvana::test {
namespace {

// A drop as the shell hands it over: DROPFILES followed by the wide paths, each ended by a NUL,
// and one more NUL after the last.
HGLOBAL MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const auto& p : paths) {
        std::copy(p.begin(), p.end(), out);
        out += p.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

void Drop(HWND window, const std::vector<std::wstring>& paths) {
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

class DragDrop : public AppFixture {
protected:
    TempFolder work{L"drop"};
    std::wstring Make(const std::wstring& relative, bool folder = false) {
        const std::wstring path = work / relative;
        // Long paths need the prefix that turns off the length limit.
        const std::wstring api = path.size() >= MAX_PATH - 12 ? L"\\\\?\\" + path : path;
        if (folder) {
            EXPECT_TRUE(CreateDirectoryW(api.c_str(), nullptr)) << path;
        } else {
            const HANDLE h = CreateFileW(api.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
            CloseHandle(h);
        }
        return path;
    }
};

TEST_F(DragDrop, TheWindowIsADropTarget) {
    Start();
    EXPECT_TRUE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

// Each item in drop order: folders are loaded, supported files added, the rest passed over.
TEST_F(DragDrop, HandlesEachItemInDropOrder) {
    const std::wstring music = Make(L"music", true);
    Make(L"music\\a.mp3");
    Make(L"music\\b.opus");
    const std::wstring x = Make(L"x.mp3"), y = Make(L"y.FLAC"), opus = Make(L"z.opus"), txt = Make(L"notes.txt");
    const std::wstring dirMp3 = Make(L"dir.mp3", true);
    Make(L"dir.mp3\\inner.wav");
    const std::wstring unicode = Make(L"\u00DCn\u00EFc\u00F6d\u00E9 \u97F3\u697D.mp3");
    // A folder whose path is exactly 255 characters long, and a file inside it whose path is
    // longer: cut to 255 characters, that file's path would name the folder.
    const std::wstring cut = std::wstring(255 - work.Path().size() - 1, L'f');
    Make(cut, true);
    Make(cut + L"\\other.mp3");
    const std::wstring longFile = Make(cut + L"\\" + std::wstring(40, L'l') + L".mp3");
    ASSERT_EQ((work / cut).size(), 255u);
    ASSERT_GT(longFile.size(), 290u);
    const std::wstring missing = work / L"gone.wav";  // a supported name that names nothing

    Start();
    Drop(form->Handle(), {music, x, opus, txt, x, dirMp3, longFile, unicode, y, missing});
    EXPECT_EQ(
        ListCaptions(form->Files().Handle()),
        (std::vector<std::wstring>{music + L"\\a.mp3", x, dirMp3 + L"\\inner.wav", longFile, unicode, y, missing}));
    EXPECT_EQ(form->LastFolder(), dirMp3);
    EXPECT_EQ(form->StatusText(), L"");
    EXPECT_FALSE(Application::IsBusyCursor());

    // The same drop again adds nothing.
    Drop(form->Handle(), {music, x, longFile, unicode});
    EXPECT_EQ(ListCaptions(form->Files().Handle()).size(), 7u);
}

TEST_F(DragDrop, InSortedModeDroppedFilesTakeTheirPlaces) {
    const std::wstring a = Make(L"a.mp3"), b = Make(L"b.mp3"), c = Make(L"c.mp3");
    Start();
    form->Files().AddFile(b);
    ClickColumnHeader(form->Files().Handle(), 0);  // Z to A
    Drop(form->Handle(), {a, c});
    EXPECT_EQ(ListCaptions(form->Files().Handle()), (std::vector<std::wstring>{c, b, a}));
}

// In sorted mode the selection stays with its rows while dropped rows are sorted in between.
TEST_F(DragDrop, TheSelectionStaysWithItsRowsInSortedMode) {
    const std::wstring b = Make(L"b.mp3"), d = Make(L"d.mp3"), folder = Make(L"c", true);
    Make(L"c\\c.mp3");
    Start();
    form->Files().AddFile(b);
    form->Files().AddFile(d);
    ClickColumnHeader(form->Files().Handle(), 0);
    ClickColumnHeader(form->Files().Handle(), 0);  // A to Z
    SelectCaptions(form->Files().Handle(), {d});
    Drop(form->Handle(), {Make(L"e.mp3"), folder, Make(L"a.mp3")});
    EXPECT_EQ(ListCaptions(form->Files().Handle()),
              (std::vector<std::wstring>{work / L"a.mp3", b, folder + L"\\c.mp3", d, work / L"e.mp3"}));
    EXPECT_EQ(SelectedCaptionsOf(form->Files().Handle()), (std::vector<std::wstring>{d}));
}

TEST_F(DragDrop, AnEmptyDropChangesNothing) {
    Start();
    Drop(form->Handle(), {});
    EXPECT_TRUE(ListCaptions(form->Files().Handle()).empty());
}

}  // namespace
}  // namespace corvana::test
