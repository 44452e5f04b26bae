#include <algorithm>

#include "common/text.h"
#include "support/app_fixture.h"
#include "support/conversion_support.h"
#include "support/dialog_watcher.h"
#include "support/program_instances.h"

namespace corvana::test {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::string DefaultFile() {
    return kBom + "[Settings]\r\nDestination=" + EncodeUtf8(DesktopFolder()) + "\r\n\r\n";
}

struct ToggleCase {
    const char* name;
    int command;
    const char* key;
};

class OptionToggle : public AppFixture, public testing::WithParamInterface<ToggleCase> {
protected:
    std::string FileWith(const std::string& value) {
        return kBom + "[Settings]\r\nDestination=C:\\Out\r\n" + GetParam().key + "=" + value + "\r\n\r\n";
    }
    void Click() { SendMessageW(form->Handle(), WM_COMMAND, GetParam().command, 0); }
};

TEST_P(OptionToggle, EachClickFlipsTheMarkAndStoresIt) {
    WriteFileBytes(ini, FileWith("ON"));
    Start();
    EXPECT_TRUE(form->IsMenuChecked(GetParam().command));
    Click();
    EXPECT_FALSE(form->IsMenuChecked(GetParam().command));
    EXPECT_EQ(ReadFileBytes(ini), FileWith("OFF"));
    Click();
    EXPECT_TRUE(form->IsMenuChecked(GetParam().command));
    EXPECT_EQ(ReadFileBytes(ini), FileWith("ON"));
}

TEST_P(OptionToggle, OnlyUpperCaseOnCountsAsOn) {
    WriteFileBytes(ini, FileWith("on"));
    Start();
    EXPECT_FALSE(form->IsMenuChecked(GetParam().command));
    Click();
    EXPECT_TRUE(form->IsMenuChecked(GetParam().command));
    EXPECT_EQ(ReadFileBytes(ini), FileWith("ON"));
}

INSTANTIATE_TEST_SUITE_P(
    Options, OptionToggle,
    testing::Values(ToggleCase{"RememberAudioSettings", CMD_RememberAudioSettings, "RememberAudioSettings"},
                    ToggleCase{"ShowErrorDetails", CMD_ShowErrorDetails, "ShowErrorDetails"},
                    ToggleCase{"KeepFolderStructure", CMD_KeepFolderStructure, "KeepFolderStructure"},
                    ToggleCase{"SkipConvertedFiles", CMD_SkipConvertedFiles, "SkipConvertedFiles"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefuseCase {
    const char* name;
    DialogWatcher::Action answer;
};

class ResetRefused : public AppFixture, public testing::WithParamInterface<RefuseCase> {};

TEST_P(ResetRefused, ChangesNothing) {
    const std::string file = kBom + "[Settings]\r\nDestination=C:\\Kept\r\nShowErrorDetails=ON\r\n\r\n";
    WriteFileBytes(ini, file);
    Start();
    DialogWatcher watcher(GetParam().answer);
    SendMessageW(form->Handle(), WM_COMMAND, CMD_ResetToDefaults, 0);
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Seen().front().caption, L"Confirmation");
    EXPECT_EQ(watcher.Seen().front().text, L"Restart Application?");
    EXPECT_FALSE(form->EndRequested());
    // SendMessageW has returned, so the answer has been handled, and a restart would have given up
    // the file and started the new copy's process in that handling (its window comes only much
    // later). The short pause is for anything it left queued.
    PumpFor(50);
    EXPECT_EQ(ReadFileBytes(ini), file);
    const auto copies = RunningProcesses(L"Corvana.exe");
    EXPECT_TRUE(std::none_of(copies.begin(), copies.end(), [&](DWORD pid) {
        return lstrcmpiW(ImagePath(pid).c_str(), exe.c_str()) == 0;
    })) << "no second copy";
    EXPECT_EQ(FindInstance(exe, 0).window, nullptr) << "no second copy";
    form->RunCommand(CMD_ShowErrorDetails);
    EXPECT_EQ(ReadFileBytes(ini), kBom + "[Settings]\r\nDestination=C:\\Kept\r\nShowErrorDetails=OFF\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(Answers, ResetRefused,
                         testing::Values(RefuseCase{"No", DialogWatcher::Press(IDNO)},
                                         RefuseCase{"Escape", DialogWatcher::PressEscape()},
                                         RefuseCase{"CloseBox", DialogWatcher::UseCloseBox()}),
                         [](const auto& info) { return std::string(info.param.name); });

using Reset = AppFixture;

TEST_F(Reset, YesRestartsWithDefaultsAndEndsTheFirstCopy) {
    WriteFileBytes(ini, kBom +
                            "[Settings]\r\nDestination=C:\\Old\r\nRememberAudioSettings=ON\r\n"
                            "FFmpegParameters=-ac 1\r\nShowErrorDetails=ON\r\nUseSourceFolder=ON\r\n\r\n");
    ProgramProcess first(exe);
    const HWND window = first.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    MessageBoxWatcher watcher(IDYES, first.ProcessId());
    PostMessageW(window, WM_COMMAND, CMD_ResetToDefaults, 0);
    EXPECT_TRUE(PumpUntil([&] { return first.HasEnded(); }, 20000)) << "the first copy ends";
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Boxes().front().caption, L"Confirmation");
    EXPECT_EQ(watcher.Boxes().front().text, L"Restart Application?");

    const Instance second = WaitForInstance(exe, first.ProcessId());
    ASSERT_NE(second.window, nullptr) << "a new copy of the same program file starts";
    EXPECT_TRUE(PumpUntil([&] { return ReadFileBytes(ini) == DefaultFile(); }, 10000)) << ReadFileBytes(ini);
    CloseInstance(second);
}

// While the first copy is still alive (a run it has to finish, for instance), an option changed
// there must not put the old settings back over the file of the new copy.
TEST_F(Reset, TheEndingCopyNoLongerWritesTheFile) {
    WriteFileBytes(ini, kBom + "[Settings]\r\nDestination=C:\\Old\r\nShowErrorDetails=ON\r\n\r\n");
    Start();
    DialogWatcher watcher(DialogWatcher::Press(IDYES));
    SendMessageW(form->Handle(), WM_COMMAND, CMD_ResetToDefaults, 0);
    EXPECT_TRUE(form->EndRequested());
    const Instance second = WaitForInstance(exe);
    ASSERT_NE(second.window, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ReadFileBytes(ini) == DefaultFile(); }, 10000));

    SendMessageW(form->Handle(), WM_COMMAND, CMD_ShowErrorDetails, 0);
    SendMessageW(form->Options().UseSourceFolderCheck(), BM_CLICK, 0, 0);
    SetWindowTextW(form->Options().TargetFolderEdit(), L"C:\\Changed");
    EXPECT_FALSE(form->IsMenuChecked(CMD_ShowErrorDetails));
    EXPECT_FALSE(IsWindowVisible(form->Options().TargetFolderEdit()));
    EXPECT_EQ(ReadFileBytes(ini), DefaultFile());
    CloseInstance(second);
}

// "Simultaneous Conversions": one radio mark, stored as a number (0 for "Automatic"); a stored
// value the menu does not offer means "Automatic".
struct ConcurrencyCase {
    const char* stored;
    int checked;
};
class StoredConcurrency : public AppFixture, public testing::WithParamInterface<ConcurrencyCase> {};

TEST_P(StoredConcurrency, ChecksOneItem) {
    WriteFileBytes(
        ini, kBom + "[Settings]\r\nDestination=C:\\Out\r\nSimultaneousConversions=" + GetParam().stored + "\r\n\r\n");
    Start();
    for (int command = CMD_SimultaneousAutomatic; command <= CMD_SimultaneousLast; ++command)
        EXPECT_EQ(form->IsMenuChecked(command), command == GetParam().checked) << command;
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredConcurrency,
    testing::Values(ConcurrencyCase{"0", CMD_SimultaneousAutomatic}, ConcurrencyCase{"1", CMD_SimultaneousFirst},
                    ConcurrencyCase{"12", CMD_SimultaneousFirst + 6}, ConcurrencyCase{"16", CMD_SimultaneousLast},
                    ConcurrencyCase{"5", CMD_SimultaneousAutomatic}, ConcurrencyCase{"-4", CMD_SimultaneousAutomatic},
                    ConcurrencyCase{"04", CMD_SimultaneousAutomatic},
                    ConcurrencyCase{"lots", CMD_SimultaneousAutomatic}));

TEST_F(StoredConcurrency, AChoiceIsStoredAndKeptAtTheNextStart) {
    WriteFileBytes(ini, DefaultFile());
    Start();
    EXPECT_TRUE(form->IsMenuChecked(CMD_SimultaneousAutomatic));
    SendMessageW(form->Handle(), WM_COMMAND, CMD_SimultaneousFirst + 3, 0);
    EXPECT_EQ(form->SimultaneousConversions(), 4u);
    EXPECT_FALSE(form->IsMenuChecked(CMD_SimultaneousAutomatic));
    EXPECT_EQ(ReadFileBytes(ini), kBom + "[Settings]\r\nDestination=" + EncodeUtf8(DesktopFolder()) +
                                      "\r\nSimultaneousConversions=4\r\n\r\n");
    TearDown();
    Start();
    EXPECT_TRUE(form->IsMenuChecked(CMD_SimultaneousFirst + 3));
    SendMessageW(form->Handle(), WM_COMMAND, CMD_SimultaneousAutomatic, 0);
    EXPECT_EQ(form->SimultaneousConversions(), 0u);
    EXPECT_NE(ReadFileBytes(ini).find("SimultaneousConversions=0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace corvana::test
