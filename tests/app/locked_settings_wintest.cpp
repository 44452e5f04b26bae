// Every change of an option writes settings.ini at once. When the file cannot be written (another
// program holds it), the standard box says so, the control keeps its new state, the store holds the
// new value for the next write, and the file on disk stays whole.
#include <windowsx.h>

#include <functional>

#include "common/text.h"
#include "options/audiosettings_win.h"
#include "support/app_fixture.h"

namespace corvana::test {
namespace {

struct LockedCase {
    const char* name;
    const wchar_t* key;       // the setting the change writes
    const wchar_t* expected;  // its new value in the store
    std::function<void(MainWindow&)> change;
    std::function<void(MainWindow&)> check;  // the control's new state
};

class LockedSettings : public AppFixture, public testing::WithParamInterface<LockedCase> {};

TEST_P(LockedSettings, FailedWriteShowsTheErrorAndKeepsTheNewState) {
    Start();
    const std::string before = ReadFileBytes(ini);
    UniqueFileHandle lock(CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    {
        MessageBoxWatcher watcher;
        GetParam().change(*form);
        ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }));
        const auto box = watcher.Boxes().front();
        EXPECT_EQ(box.caption, L"Corvana");
        EXPECT_EQ(box.text.rfind(L"Cannot create file \"" + ini + L"\". ", 0), 0u) << box.text;
        EXPECT_EQ(box.text.back(), L'.');
    }
    lock.reset();
    GetParam().check(*form);
    EXPECT_EQ(form->Settings().Read(GetParam().key, L""), GetParam().expected);
    EXPECT_EQ(ReadFileBytes(ini), before) << "the old file stays whole";
}

INSTANTIATE_TEST_SUITE_P(
    Changes, LockedSettings,
    testing::Values(
        LockedCase{"TypingATargetFolder", L"Destination", L"C:\\Typed",
                   [](MainWindow& w) { SetWindowTextW(w.Options().TargetFolderEdit(), L"C:\\Typed"); },
                   [](MainWindow& w) { EXPECT_EQ(GetWindowTextString(w.Options().TargetFolderEdit()), L"C:\\Typed"); }},
        LockedCase{"UseSourceFolder", L"UseSourceFolder", L"ON",
                   [](MainWindow& w) { SendMessageW(w.Options().UseSourceFolderCheck(), BM_CLICK, 0, 0); },
                   [](MainWindow& w) {
                       EXPECT_EQ(Button_GetCheck(w.Options().UseSourceFolderCheck()), BST_CHECKED);
                       EXPECT_FALSE(IsWindowVisible(w.Options().TargetFolderEdit()));
                   }},
        LockedCase{"RememberAudioSettings", L"RememberAudioSettings", L"ON",
                   [](MainWindow& w) { SendMessageW(w.Handle(), WM_COMMAND, CMD_RememberAudioSettings, 0); },
                   [](MainWindow& w) { EXPECT_TRUE(w.IsMenuChecked(CMD_RememberAudioSettings)); }},
        LockedCase{"ShowErrorDetails", L"ShowErrorDetails", L"ON",
                   [](MainWindow& w) { SendMessageW(w.Handle(), WM_COMMAND, CMD_ShowErrorDetails, 0); },
                   [](MainWindow& w) { EXPECT_TRUE(w.IsMenuChecked(CMD_ShowErrorDetails)); }},
        LockedCase{"SavedAudioSettings", L"FFmpegParameters", L"-ac 2",
                   [](MainWindow& w) {
                       SendMessageW(w.Options().AudioSettingsButton(), BM_CLICK, 0, 0);
                       auto& dialog = *w.Options().AudioSettingsDialogs().back();
                       SendMessageW(dialog.ChoiceButton(RowChannels, 2), BM_CLICK, 0, 0);
                       SendMessageW(dialog.SaveButton(), BM_CLICK, 0, 0);
                   },
                   [](MainWindow& w) {
                       EXPECT_EQ(w.Options().Parameters(), L"-ac 2");
                       EXPECT_TRUE(IsWindowEnabled(w.Options().AudioSettingsDialogs().back()->SaveButton()))
                           << "Save stays enabled";
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

// The value that failed is written together with the next change.
TEST_F(LockedSettings, TheNextWriteCarriesTheValueThatFailed) {
    Start();
    {
        UniqueFileHandle lock(CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        MessageBoxWatcher watcher;
        SetWindowTextW(form->Options().TargetFolderEdit(), L"C:\\Typed");
        ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }));
    }
    SendMessageW(form->Options().UseSourceFolderCheck(), BM_CLICK, 0, 0);
    EXPECT_EQ(ReadFileBytes(ini), "\xEF\xBB\xBF[Settings]\r\nDestination=C:\\Typed\r\nUseSourceFolder=ON\r\n\r\n");
}

}  // namespace
}  // namespace corvana::test
