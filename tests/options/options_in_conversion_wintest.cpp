// The options of the output panel, the "Audio Settings" dialog and the Settings menu, seen in
// real conversions.
#include <windowsx.h>

#include "options/audiosettings_win.h"
#include "support/conversion_support.h"
#include "common/text.h"
#include "support/dialog_watcher.h"
#include "support/program_instances.h"

namespace corvana::test {
namespace {

struct WavFormat {
    int channels = 0;
    int sampleRate = 0;
};

// Channels and rate from the "fmt " chunk of a WAV file.
WavFormat ReadWavFormat(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    const auto u16 = [&](size_t at) {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const int size = u32(at + 4);
        if (bytes.compare(at, 4, "fmt ") == 0 && at + 16 <= bytes.size()) return {u16(at + 10), u32(at + 12)};
        at += 8 + static_cast<size_t>(size) + (size & 1);
    }
    return {};
}

class OptionsInConversion : public ConversionFixture {
protected:
    TempFolder work{L"options"};
    std::wstring out = work / L"out";

    void SetUp() override {
        ConversionFixture::SetUp();
        Start();
        ComboBox_SetCurSel(form->Options().FormatBox(), 1);  // WAV
        SetWindowTextW(form->Options().TargetFolderEdit(), out.c_str());
    }
    std::wstring StereoTone(const std::wstring& name) {
        const std::wstring path = work / name;
        MakeTone(path, 0.5, 44100, 2);
        return path;
    }
    // Composes the string in a new "Audio Settings" window from the given radio buttons, saves it
    // and closes the window.
    void SaveChoice(const std::vector<std::pair<AudioRow, int>>& radios) {
        SendMessageW(form->Options().AudioSettingsButton(), BM_CLICK, 0, 0);
        auto& dialog = *form->Options().AudioSettingsDialogs().back();
        for (const auto& [row, index] : radios) SendMessageW(dialog.ChoiceButton(row, index), BM_CLICK, 0, 0);
        SendMessageW(dialog.SaveButton(), BM_CLICK, 0, 0);
        SendMessageW(dialog.CloseButton(), BM_CLICK, 0, 0);
    }
    void SaveText(const std::wstring& text) {
        SendMessageW(form->Options().AudioSettingsButton(), BM_CLICK, 0, 0);
        auto& dialog = *form->Options().AudioSettingsDialogs().back();
        SetWindowTextW(dialog.ParametersEdit(), text.c_str());
        SendMessageW(dialog.SaveButton(), BM_CLICK, 0, 0);
        SendMessageW(dialog.CloseButton(), BM_CLICK, 0, 0);
    }
    void Convert() { ASSERT_TRUE(ConvertAndWait(*form)); }
};

struct ChoiceCase {
    const char* name;
    std::vector<std::pair<AudioRow, int>> radios;  // row, place in the row
    WavFormat expected;
};

class SavedAudioChoice : public OptionsInConversion, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(SavedAudioChoice, ShapesTheNextOutput) {
    const std::wstring source = StereoTone(L"tone.flac");
    form->Files().AddFile(source);
    Convert();
    const WavFormat before = ReadWavFormat(out + L"\\tone.wav");
    EXPECT_EQ(before.channels, 2);
    EXPECT_EQ(before.sampleRate, 44100);

    SaveChoice(GetParam().radios);
    Convert();
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"OK");
    const WavFormat after = ReadWavFormat(out + L"\\tone (2).wav");
    EXPECT_EQ(after.channels, GetParam().expected.channels);
    EXPECT_EQ(after.sampleRate, GetParam().expected.sampleRate);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SavedAudioChoice,
    testing::Values(ChoiceCase{"Mono", {{RowChannels, 1}}, {1, 44100}},
                    ChoiceCase{"TwentyTwoKilohertz", {{RowSamplingRate, 3}}, {2, 22050}},
                    ChoiceCase{"MonoAtEightKilohertz", {{RowChannels, 1}, {RowSamplingRate, 1}}, {1, 8000}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionsInConversion, UnsavedChoiceDoesNotReachTheCommand) {
    form->Files().AddFile(StereoTone(L"tone.flac"));
    SendMessageW(form->Options().AudioSettingsButton(), BM_CLICK, 0, 0);
    SendMessageW(form->Options().AudioSettingsDialogs().back()->ChoiceButton(RowChannels, 1), BM_CLICK, 0, 0);
    Convert();
    EXPECT_EQ(ReadWavFormat(out + L"\\tone.wav").channels, 2);
}

TEST_F(OptionsInConversion, UseSourceFolderPutsTheOutputBesideItsSource) {
    const std::wstring source = StereoTone(L"beside.flac");
    form->Files().AddFile(source);
    SendMessageW(form->Options().UseSourceFolderCheck(), BM_CLICK, 0, 0);
    Convert();
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"OK");
    EXPECT_TRUE(FileExists(work / L"beside.wav"));
    EXPECT_FALSE(DirectoryExists(out));
}

TEST_F(OptionsInConversion, RejectedParametersGiveErrorAndNoFile) {
    form->Files().AddFile(StereoTone(L"tone.flac"));
    SaveText(L"-ar banana");
    MessageBoxWatcher watcher;
    Convert();
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"Error");
    EXPECT_FALSE(FileExists(out + L"\\tone.wav"));
    // The run's end is seen only once the window has handled the reports that ended it, and a details
    // box is shown within that handling. The short pause is for anything it left queued.
    PumpFor(50);
    EXPECT_EQ(watcher.Count(), 0u) << "no details while \"Show Error Details\" is off";
}

// The mark is read for every failing file: switched on, the next failure shows its details; switched
// off while the run waits on a details box, the run's later failures show none.
TEST_F(OptionsInConversion, ShowErrorDetailsActsFromTheNextFailingFileOn) {
    const std::wstring first = StereoTone(L"first.flac");
    const std::wstring second = StereoTone(L"second.flac");
    form->Files().AddFile(first);
    form->Files().AddFile(second);
    SaveText(L"-ar banana");
    form->RunCommand(CMD_ShowErrorDetails);
    form->RunCommand(CMD_SimultaneousFirst);  // one job at a time: the files fail in list order

    const HWND main = form->Handle();
    std::atomic<int> answered{0};
    DialogWatcher watcher([&](const DialogSnapshot& box) {
        // Sent, not posted: the mark is off before the box closes.
        if (answered++ == 0) SendMessageW(main, WM_COMMAND, CMD_ShowErrorDetails, 0);
        DialogWatcher::Press(IDOK)(box);
    });
    Convert();
    // The run's end is seen only once the window has handled both failures, and a second box would
    // have been shown within that handling. The short pause is for anything it left queued.
    PumpFor(50);
    ASSERT_EQ(watcher.Count(), 1u);
    const DialogSnapshot box = watcher.Seen().front();
    EXPECT_EQ(box.caption, L"ERROR");
    EXPECT_NE(box.text.find(first), std::wstring::npos) << box.text;
    EXPECT_NE(box.text.find(L"banana"), std::wstring::npos) << box.text;
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"Error");
    EXPECT_EQ(RowText(form->Files().Handle(), 1, 1), L"Error");
    EXPECT_FALSE(form->IsMenuChecked(CMD_ShowErrorDetails));
}

// "Reset to Defaults..." while a run is going: one question says that the run is stopped; then it
// is, as at any exit, the new copy starts at once with the defaults, and nothing this one does
// afterwards brings the old settings back.
TEST_F(OptionsInConversion, ResetDuringARunStopsItAndKeepsTheNewSettings) {
    form->Files().AddFile(StereoTone(L"first.flac"));
    form->Files().AddFile(StereoTone(L"second.flac"));
    SendMessageW(form->Handle(), WM_COMMAND, CMD_ShowErrorDetails, 0);
    DialogWatcher watcher(DialogWatcher::Press(IDYES));
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(form->ConversionRunning());
    PostMessageW(form->Handle(), WM_COMMAND, CMD_ResetToDefaults, 0);
    ASSERT_TRUE(PumpUntil([&] { return form->EndRequested(); }, 20000));
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Seen().front().text, L"Conversions are still running. Stop them and restart Corvana?");
    EXPECT_FALSE(form->ConversionRunning());
    for (int row = 0; row < 2; ++row) {
        const std::wstring result = RowText(form->Files().Handle(), row, 1);
        EXPECT_TRUE(result == L"OK" || result == L"Stopped" || result == L"") << result;
    }
    EXPECT_TRUE(TemporaryOutputsIn(out).empty());

    const Instance second = WaitForInstance(exe);
    ASSERT_NE(second.window, nullptr);
    const std::string defaults = "\xEF\xBB\xBF[Settings]\r\nDestination=" + EncodeUtf8(DesktopFolder()) + "\r\n\r\n";
    EXPECT_TRUE(PumpUntil([&] { return ReadFileBytes(ini) == defaults; }, 10000));
    SendMessageW(form->Handle(), WM_COMMAND, CMD_ShowErrorDetails, 0);
    EXPECT_EQ(ReadFileBytes(ini), defaults);
    CloseInstance(second);
}

}  // namespace
}  // namespace corvana::test
