#include <windowsx.h>

#include "conversion/console_runner_win.h"
#include "support/conversion_support.h"

namespace corvana::test {
namespace {

class ConversionRun : public ConversionFixture {
protected:
    TempFolder work{L"run"};

    void SetTarget(const std::wstring& text) { SetWindowTextW(form->Edit1, text.c_str()); }
    void SetFormat(const wchar_t* format) { ComboBox_SelectString(form->ComboBox1, -1, format); }
    std::vector<std::wstring> Results() const {
        std::vector<std::wstring> r;
        for (int i = 0; i < ListView_GetItemCount(form->ListView1); ++i) r.push_back(RowText(form->ListView1, i, 1));
        return r;
    }
    void ExpectIdle() const {
        EXPECT_TRUE(IsWindowEnabled(form->Button1));
        EXPECT_FALSE(IsWindowVisible(form->ProgressBar1));
        EXPECT_FALSE(Application::IsBusyCursor());
    }
};

TEST_F(ConversionRun, AnEmptyListOnlyWarns) {
    Start();
    MessageBoxWatcher watcher;
    form->Button1Click();
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].caption, L"WARNING");
    EXPECT_EQ(watcher.Boxes()[0].text, L"Please add files!");
    EXPECT_EQ(form->StatusText(), L"");
    ExpectIdle();
}

TEST_F(ConversionRun, NamesOutputsUniquelyAndOverwritesNothing) {
    Start();
    MakeTone(work / L"song.flac");
    MakeTone(work / L"song (2).mp3");
    MakeTone(work / L"a.b.c.wav");
    ASSERT_TRUE(CreateDirectoryW((work / L"out").c_str(), nullptr));
    WriteFileBytes(work / L"out\\song.mp3", "first");
    WriteFileBytes(work / L"out\\song (2).mp3", "second");
    // A folder at an output's path is not a file: the name is kept and that job fails.
    ASSERT_TRUE(CreateDirectoryW((work / L"out\\a.b.c.mp3").c_str(), nullptr));
    for (const wchar_t* name : {L"song.flac", L"song (2).mp3", L"a.b.c.wav"}) form->Ekle(work / name);
    SetTarget(work / L"out");
    SetFormat(L"MP3");

    form->Button1Click();
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK", L"Error"}));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\song (3).mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\song (2) (2).mp3"));
    EXPECT_EQ(ReadFileBytes(work / L"out\\song.mp3"), "first");
    EXPECT_EQ(ReadFileBytes(work / L"out\\song (2).mp3"), "second");
    EXPECT_TRUE(DirectoryExists(work / L"out\\a.b.c.mp3"));
    EXPECT_EQ(form->StatusText(), L"Completed");
    ExpectIdle();

    // Same format beside the source: the counter keeps the source as it is.
    const std::string source = ReadFileBytes(work / L"song (2).mp3");
    Button_SetCheck(form->CheckBoxSource, BST_CHECKED);
    form->Button1Click();
    EXPECT_EQ(ReadFileBytes(work / L"song (2).mp3"), source);
    EXPECT_TRUE(DecodesCleanly(work / L"song (2) (2).mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"song.mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"a.b.c.mp3"));
}

TEST_F(ConversionRun, CreatesAMissingTargetFolderWithItsParents) {
    Start();
    MakeTone(work / L"x.wav");
    form->Ekle(work / L"x.wav");
    SetTarget(work / L"new\\deeper\\still");
    form->Button1Click();
    EXPECT_EQ(Results(), std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(DecodesCleanly(work / L"new\\deeper\\still\\x.mp3"));
}

TEST_F(ConversionRun, AnEmptyTargetFolderStopsTheRunAndTheWindowGoesBackToIdle) {
    Start();
    MakeTone(work / L"x.wav");
    form->Ekle(work / L"x.wav");
    SetTarget(L"");
    MessageBoxWatcher watcher;
    // As a click would: through the window procedure, which shows failures in the standard box.
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(IDC_Button1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Button1));
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }, 5000));
    EXPECT_EQ(watcher.Boxes()[0].caption, L"Corvana");
    EXPECT_EQ(watcher.Boxes()[0].text, L"Unable to create directory.");
    EXPECT_EQ(Results(), std::vector<std::wstring>{L""});
    ExpectIdle();
}

// Every kind of bad source in one run: each row ends with a result, and nothing is overwritten.
TEST_F(ConversionRun, EachBadSourceEndsInError) {
    Start();
    MakeTone(work / L"good.wav");
    WriteFileBytes(work / L"empty.mp3", "");
    WriteFileBytes(work / L"noise.mp3", std::string(5000, '\x5a'));
    WriteFileBytes(work / L"notes.txt", "words");
    form->Ekle(work / L"missing.mp3");
    form->Ekle(work / L"empty.mp3");
    form->Ekle(work / L"noise.mp3");
    form->Ekle(work / L"notes.txt");
    form->Ekle(work / L"good.wav");
    form->Ekle(L"Q:\\no such drive\\x.mp3");
    form->Ekle(std::wstring(L"\\\\?\\") + work.Path() + L"\\" + std::wstring(250, L'l') + L".wav");
    SetTarget(work / L"out");
    form->Button1Click();
    EXPECT_EQ(Results(),
              (std::vector<std::wstring>{L"Error", L"Error", L"Error", L"Error", L"OK", L"Error", L"Error"}));
    ExpectIdle();
}

TEST_F(ConversionRun, ATargetThatCannotBeWrittenGivesErrorForEachRow) {
    Start();
    MakeTone(work / L"a.wav");
    MakeTone(work / L"b.wav");
    WriteFileBytes(work / L"plainfile", "x");
    form->Ekle(work / L"a.wav");
    form->Ekle(work / L"b.wav");
    for (const std::wstring& target : {work / L"plainfile", std::wstring(L"Q:\\missing drive")}) {
        SetTarget(target);
        form->Button1Click();
        EXPECT_EQ(Results(), (std::vector<std::wstring>{L"Error", L"Error"})) << target;
        ExpectIdle();
    }
    EXPECT_EQ(ReadFileBytes(work / L"plainfile"), "x");
}

// A timer callback stands in for the user: it acts while the run lets messages through, after
// the first row's status has shown and before its job starts.
TAppForm* g_form = nullptr;
std::function<void()> g_action;
void CALLBACK ActOnce(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_form || g_form->StatusText().rfind(L"Processing ", 0) != 0) return;
    KillTimer(nullptr, id);
    auto action = std::move(g_action);
    g_action = nullptr;
    if (action) action();
}

class ConversionRunChanges : public ConversionRun {
protected:
    void RunWhile(std::function<void()> action) {
        g_form = form.get();
        g_action = std::move(action);
        SetTimer(nullptr, 0, 1, ActOnce);
        Sleep(5);
        form->Button1Click();
        g_form = nullptr;
    }
    void AddThree() {
        for (const wchar_t* n : {L"a.wav", L"b.wav", L"c.wav"}) {
            MakeTone(work / n);
            form->Ekle(work / n);
        }
        SetTarget(work / L"out");
    }
};

TEST_F(ConversionRunChanges, AResultNeverLandsOnAnotherRowWhenRowsAreRemoved) {
    Start();
    AddThree();
    RunWhile([this] {
        form->FileList.RemovePositions({0});
        form->FileListChanged();
    });
    // "a" was converted but its row is gone; "b" moved into the passed position; "c" was next.
    ASSERT_EQ(form->FileList.Count(), 2u);
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"", L"OK"}));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\a.mp3"));
    EXPECT_FALSE(PathExists(work / L"out\\b.mp3"));
    ExpectIdle();
}

TEST_F(ConversionRunChanges, AResultFollowsItsRowWhenTheListIsSorted) {
    Start();
    AddThree();
    RunWhile([this] {
        form->FileList.SetSortOrder([](const FileItem& x, const FileItem& y) { return x.caption > y.caption; });
        form->FileListChanged();
    });
    // Order c, b, a: "a" (now last) gets its own result; the run went on with positions 1 and 2.
    EXPECT_EQ(RowText(form->ListView1, 2, 0), work / L"a.wav");
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"", L"OK", L"OK"}));
}

TEST_F(ConversionRunChanges, RowsAddedOrAClearedListDuringARunAreHandled) {
    Start();
    AddThree();
    MakeTone(work / L"d.wav");
    RunWhile([this] { form->Ekle(work / L"d.wav"); });
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK", L"OK", L"OK"}));
    EXPECT_EQ(SendMessageW(form->ProgressBar1, PBM_GETRANGE, FALSE, 0), 3) << "the maximum is not raised";

    RunWhile([this] {
        form->FileList.Clear();
        form->FileListChanged();
    });
    EXPECT_TRUE(Results().empty());
    EXPECT_EQ(form->StatusText(), L"Completed");
    ExpectIdle();
}

}  // namespace
}  // namespace corvana::test
