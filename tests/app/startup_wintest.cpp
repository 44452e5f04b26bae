#include <windowsx.h>

#include "common/text.h"
#include "support/app_fixture.h"
#include "win/settings_file_win.h"

namespace corvana::test {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::string DefaultFile() {
    return kBom + "[Settings]\r\nDestination=" + EncodeUtf8(DesktopFolder()) + "\r\n\r\n";
}

using Startup = AppFixture;

TEST_F(Startup, FirstStartCreatesTheSettingsFileWithTheDesktop) {
    Start();
    EXPECT_EQ(form->Settings().Folder(), folder.Path() + L"\\");
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), DesktopFolder());
    EXPECT_EQ(ReadFileBytes(ini), DefaultFile());
    EXPECT_EQ(GetWindowTextString(form->Handle()), L"KALDERN - Corvana");
    EXPECT_EQ(form->Program().caption, L"KALDERN - Corvana");
    EXPECT_EQ(form->Program().version, L"1.7");
    EXPECT_TRUE(form->Options().Parameters().empty());
    EXPECT_TRUE(form->Files().ScanList().empty());
}

struct StoredCase {
    const char* name;
    std::string file;
    std::wstring edit;
    std::wstring parameters;
    bool remember, errorDetails, sourceFolder;
    // The file after start-up; empty means "unchanged".
    std::string after;
};

class StoredSettings : public AppFixture, public testing::WithParamInterface<StoredCase> {};

TEST_P(StoredSettings, ReachTheirControls) {
    const auto& c = GetParam();
    WriteFileBytes(ini, c.file);
    Start();
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), c.edit);
    EXPECT_EQ(form->Options().Parameters(), c.parameters);
    EXPECT_EQ(form->IsMenuChecked(CMD_RememberAudioSettings), c.remember);
    EXPECT_EQ(form->IsMenuChecked(CMD_ShowErrorDetails), c.errorDetails);
    EXPECT_EQ(Button_GetCheck(form->Options().UseSourceFolderCheck()) == BST_CHECKED, c.sourceFolder);
    EXPECT_EQ(IsWindowVisible(form->Options().TargetFolderEdit()) != FALSE, !c.sourceFolder);
    EXPECT_EQ(IsWindowVisible(form->Options().TargetFolderButton()) != FALSE, !c.sourceFolder);
    EXPECT_TRUE(IsWindowVisible(form->Options().TargetFolderLabel()));
    EXPECT_EQ(ReadFileBytes(ini), c.after.empty() ? c.file : c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredSettings,
    testing::Values(StoredCase{"AllOn",
                               kBom + "[Settings]\r\nDestination=C:\\Out\r\nRememberAudioSettings=ON\r\n"
                                      "FFmpegParameters=-ac 1\r\nShowErrorDetails=ON\r\nUseSourceFolder=ON\r\n\r\n",
                               L"C:\\Out", L"-ac 1", true, true, true, ""},
                    StoredCase{"LowerCaseOnCountsAsOff",
                               kBom + "[settings]\r\ndestination=C:\\Out\r\nrememberaudiosettings=on\r\n"
                                      "ffmpegparameters=-ac 1\r\nshowerrordetails=on\r\nusesourcefolder=on\r\n\r\n",
                               L"C:\\Out", L"", false, false, false, ""},
                    StoredCase{"StoredParametersIgnoredWithoutRemember",
                               kBom + "[Settings]\r\nDestination=C:\\Out\r\nRememberAudioSettings=OFF\r\n"
                                      "FFmpegParameters=-ar 22050\r\n\r\n",
                               L"C:\\Out", L"", false, false, false, ""},
                    StoredCase{"RememberWithoutParameters",
                               kBom + "[Settings]\r\nDestination=X\r\nRememberAudioSettings=ON\r\n\r\n", L"X", L"",
                               true, false, false, ""},
                    StoredCase{"EmptyDestinationWritesNothing", "[Settings]\nDestination=\n; note\n", L"", L"", false,
                               false, false, ""},
                    StoredCase{"UseSourceFolderIsWrittenBack", "[Settings]\nUseSourceFolder=ON\nDestination=Y\n", L"Y",
                               L"", false, false, true,
                               kBom + "[Settings]\r\nUseSourceFolder=ON\r\nDestination=Y\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadFileCase {
    const char* name;
    std::string file;
    std::string after;  // the file once start-up has applied the settings
};

class BadSettingsFile : public AppFixture, public testing::WithParamInterface<BadFileCase> {};

TEST_P(BadSettingsFile, StartsWithTheSettingsItCouldKeep) {
    const auto& c = GetParam();
    WriteFileBytes(ini, c.file);
    Start();
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), DesktopFolder());
    const std::string expected = c.after.empty() ? DefaultFile() : c.after;
    EXPECT_EQ(ReadFileBytes(ini), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadSettingsFile,
    testing::Values(BadFileCase{"EightBitCodePage", "[Settings]\r\nDestination=C:\\M\xFCzik\r\n", ""},
                    BadFileCase{"Binary", std::string("\x89PNG\r\n\x1A\n\x00\x00\xFF\xD8", 12), ""},
                    BadFileCase{"Empty", "", ""}, BadFileCase{"OnlyByteOrderMark", kBom, ""},
                    BadFileCase{"WithoutSection", "Destination=C:\\nowhere\r\n", ""},
                    BadFileCase{"KeyWithoutEquals", "[Settings]\r\nDestination\r\n", ""},
                    BadFileCase{"UnknownContentKept", "[Other]\r\nk=v\r\n",
                                kBom + "[Other]\r\nk=v\r\n\r\n[Settings]\r\nDestination=" +
                                    EncodeUtf8(DesktopFolder()) + "\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Startup, FiftyMegabyteFileLoads) {
    std::string file = kBom + "[Settings]\r\nDestination=C:\\big\r\n[Padding]\r\n";
    const std::string line = "Key=" + std::string(120, 'x') + "\r\n";
    while (file.size() < 50u * 1024 * 1024) file += line;
    WriteFileBytes(ini, file);
    Start();
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), L"C:\\big");
}

// A file that cannot even be read (another program holds it) is not known to be invalid: it is left
// alone. The program says so once, starts with the defaults, and writes nothing over the file in
// this run, even after the file has come free again.
TEST_F(Startup, LockedFileStartsWithDefaultsAndSaysSo) {
    const std::string original = kBom + "[Settings]\r\nDestination=C:\\Locked\r\n\r\n";
    WriteFileBytes(ini, original);
    HANDLE lock = CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    MessageBoxWatcher watcher;
    Start();
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }));
    CloseHandle(lock);
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), DesktopFolder());
    const auto box = watcher.Boxes().front();
    EXPECT_EQ(box.caption, L"Corvana");
    EXPECT_EQ(box.text.rfind(L"Cannot open file \"" + ini + L"\". ", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(L"The default settings are used this time"), std::wstring::npos) << box.text;

    form->RunCommand(CMD_ShowErrorDetails);
    SetWindowTextW(form->Options().TargetFolderEdit(), L"C:\\Typed");
    // Both changes are in the store once handled, and a failing write would have spoken up while
    // they were; the short pause after is for anything that handling left queued.
    EXPECT_TRUE(PumpUntil([&] {
        return form->Settings().Read(L"ShowErrorDetails", L"") == L"ON" &&
               form->Settings().Read(L"Destination", L"") == L"C:\\Typed";
    }));
    PumpFor(50);
    EXPECT_EQ(watcher.Count(), 1u) << "said once";
    EXPECT_EQ(ReadFileBytes(ini), original) << "the file is never cut or replaced in this run";
    EXPECT_EQ(form->Settings().Read(L"Destination", L""), L"C:\\Typed") << "the choices hold for this run";
}

class SettingsFolderChoice : public AppFixture {
protected:
    std::wstring company = AppDataFolder() + L"\\KALDERN";
    void SetUp() override { RemoveTree(company); }
    void TearDown() override {
        AppFixture::TearDown();
        DeleteFileW(company.c_str());
        RemoveTree(company);
    }
};

TEST_F(SettingsFolderChoice, ProbeFileInTheProgramFolderMovesSettingsToTheUser) {
    WriteFileBytes(folder / L"chk.tmp", "");
    Start();
    EXPECT_EQ(form->Settings().Folder(), company + L"\\Corvana\\");
    EXPECT_EQ(ReadFileBytes(company + L"\\Corvana\\settings.ini"), DefaultFile());
    EXPECT_FALSE(PathExists(ini));
    EXPECT_TRUE(PathExists(folder / L"chk.tmp")) << "the user's own file is left alone";
}

TEST_F(SettingsFolderChoice, UserFolderThatCannotBeCreatedStillStarts) {
    WriteFileBytes(folder / L"chk.tmp", "");
    WriteFileBytes(company, "a file where the folder should be");
    MessageBoxWatcher watcher;
    Start();
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 1; }));
    EXPECT_EQ(watcher.Boxes().front().caption, L"Corvana");
    EXPECT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), DesktopFolder());
    EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST(SettingsFolder, ProbeLeavesNothingBehind) {
    TempFolder folder(L"probe");
    EXPECT_TRUE(IsFolderWritable(folder.Path()));
    EXPECT_TRUE(IsFolderWritable(folder.Path() + L"\\"));
    EXPECT_FALSE(PathExists(folder / L"chk.tmp"));
    EXPECT_FALSE(IsFolderWritable(folder / L"missing"));
}

}  // namespace
}  // namespace corvana::test
