#include "options/audiosettings_win.h"

#include <windowsx.h>

#include <functional>
#include <set>

#include "app/main_win.h"
#include "common/text.h"
#include "support/app_fixture.h"

namespace corvana::test {
namespace {

// The dialog's radio buttons as the user sees them: row, place in the row, caption.
struct Radio {
    AudioRow row;
    int index;
    const wchar_t* caption;
};
constexpr Radio kRadios[] = {
    {RowBitrate, 0, L"Auto"},
    {RowBitrate, 1, L"128 Kbps"},
    {RowBitrate, 2, L"160 Kbps"},
    {RowBitrate, 3, L"192 Kbps"},
    {RowBitrate, 4, L"256 Kbps"},
    {RowBitrate, 5, L"320 Kbps"},
    {RowBitrateControl, 0, L"Auto"},
    {RowBitrateControl, 1, L"Variable Bit Rate (VBR)"},
    {RowBitrateControl, 2, L"Average Bit Rate (ABR)"},
    {RowSamplingRate, 0, L"Auto"},
    {RowSamplingRate, 1, L"8 kHz"},
    {RowSamplingRate, 2, L"16 kHz"},
    {RowSamplingRate, 3, L"22.05 kHz"},
    {RowSamplingRate, 4, L"32 kHz"},
    {RowSamplingRate, 5, L"44.1 kHz"},
    {RowSamplingRate, 6, L"48 kHz"},
    {RowSamplingRate, 7, L"96 kHz"},
    {RowSamplingRate, 8, L"192 kHz"},
    {RowChannels, 0, L"Auto"},
    {RowChannels, 1, L"Mono"},
    {RowChannels, 2, L"Stereo"},
    {RowChannels, 3, L"5.1 Surround"},
    {RowChannels, 4, L"7.1 Surround"},
};

class AudioSettings : public AppFixture {
protected:
    AudioSettingsDialog& Open() {
        SendMessageW(form->Options().AudioSettingsButton(), BM_CLICK, 0, 0);
        return *form->Options().AudioSettingsDialogs().back();
    }
    static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    static bool Checked(HWND button) { return Button_GetCheck(button) == BST_CHECKED; }
    static std::wstring Text(const AudioSettingsDialog& d) { return GetWindowTextString(d.ParametersEdit()); }
    static bool SaveEnabled(const AudioSettingsDialog& d) { return IsWindowEnabled(d.SaveButton()) != FALSE; }
    // Types at the end of the field.
    static void Type(const AudioSettingsDialog& d, const std::wstring& text) {
        const int end = GetWindowTextLengthW(d.ParametersEdit());
        Edit_SetSel(d.ParametersEdit(), end, end);
        for (wchar_t c : text) SendMessageW(d.ParametersEdit(), WM_CHAR, c, 1);
    }
    void Restart() {
        form.reset();
        PumpFor(10);
        Start();
    }
    std::string StoredParameters() {
        const std::string file = ReadFileBytes(ini);
        const size_t at = file.find("FFmpegParameters=");
        if (at == std::string::npos) return "<none>";
        const size_t end = file.find("\r\n", at);
        return file.substr(at + 17, end - at - 17);
    }
};

TEST_F(AudioSettings, WindowLooksAsDesigned) {
    Start();
    auto& d = Open();
    EXPECT_EQ(GetWindowTextString(d.Handle()), L"Audio Settings");
    EXPECT_TRUE(IsWindowVisible(d.Handle()));
    EXPECT_EQ(GetWindow(d.Handle(), GW_OWNER), form->Handle());
    const auto style = GetWindowLongPtrW(d.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    RECT client;
    GetClientRect(d.Handle(), &client);
    const UINT dpi = GetDpiForWindow(d.Handle());
    EXPECT_EQ(client.right, ScaleForDpi(708, dpi));
    EXPECT_EQ(client.bottom, ScaleForDpi(346, dpi));
    RECT main, dialog;
    GetWindowRect(form->Handle(), &main);
    GetWindowRect(d.Handle(), &dialog);
    EXPECT_NEAR((dialog.left + dialog.right) / 2, (main.left + main.right) / 2, 1);
    EXPECT_NEAR((dialog.top + dialog.bottom) / 2, (main.top + main.bottom) / 2, 1);

    const std::pair<AudioRow, const wchar_t*> labels[] = {{RowBitrate, L"Bitrate:"},
                                                          {RowBitrateControl, L"Bitrate Control:"},
                                                          {RowSamplingRate, L"Sampling Rate:"},
                                                          {RowChannels, L"Audio Channels:"}};
    for (const auto& [row, label] : labels) EXPECT_EQ(GetWindowTextString(d.RowLabel(row)), label);
    EXPECT_EQ(GetWindowTextString(d.ParametersLabel()), L"FFmpeg Parameters:");
    EXPECT_EQ(GetWindowTextString(d.SaveButton()), L"Save");
    EXPECT_EQ(GetWindowTextString(d.CloseButton()), L"Close");

    // Rows top to bottom, buttons left to right, none overlapping and all inside the window.
    RECT previous{};
    int previousRow = -1;
    for (const auto& radio : kRadios) {
        const HWND button = d.ChoiceButton(radio.row, radio.index);
        ASSERT_NE(button, nullptr) << radio.row << "/" << radio.index;
        EXPECT_EQ(GetWindowTextString(button), radio.caption) << radio.row << "/" << radio.index;
        RECT rc;
        GetWindowRect(button, &rc);
        MapWindowPoints(nullptr, d.Handle(), reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_LE(rc.right, client.right) << radio.row << "/" << radio.index;
        if (radio.row == previousRow) {
            EXPECT_EQ(rc.top, previous.top) << radio.row << "/" << radio.index;
            EXPECT_GE(rc.left, previous.right) << radio.row << "/" << radio.index;
        } else if (previousRow >= 0) {
            EXPECT_GE(rc.top, previous.bottom) << radio.row << "/" << radio.index;
        }
        previous = rc;
        previousRow = radio.row;
    }

    // One spacing between neighbouring buttons in every row.
    std::set<long> gaps;
    for (size_t i = 1; i < std::size(kRadios); ++i) {
        if (kRadios[i].row != kRadios[i - 1].row) continue;
        RECT a, b;
        GetWindowRect(d.ChoiceButton(kRadios[i - 1].row, kRadios[i - 1].index), &a);
        GetWindowRect(d.ChoiceButton(kRadios[i].row, kRadios[i].index), &b);
        gaps.insert(b.left - a.right);
    }
    EXPECT_EQ(gaps.size(), 1u) << testing::PrintToString(gaps);
}

struct OpenCase {
    const char* name;
    std::wstring parameters;
    bool saveEnabled;
};

class AudioSettingsOpening : public AudioSettings, public testing::WithParamInterface<OpenCase> {};

TEST_P(AudioSettingsOpening, ShowsTheCurrentStringWithEveryRowOnAuto) {
    Start();
    form->Options().SaveParameters(GetParam().parameters);
    auto& d = Open();
    EXPECT_EQ(Text(d), GetParam().parameters);
    EXPECT_EQ(SaveEnabled(d), GetParam().saveEnabled);
    for (const auto& radio : kRadios)
        EXPECT_EQ(Checked(d.ChoiceButton(radio.row, radio.index)), std::wstring(radio.caption) == L"Auto")
            << radio.row << "/" << radio.index;
}

INSTANTIATE_TEST_SUITE_P(Strings, AudioSettingsOpening,
                         testing::Values(OpenCase{"Empty", L"", false}, OpenCase{"Set", L"-ac 2 -ar 48000", true},
                                         OpenCase{"OnlyBlanks", L"  ", true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ClickCase {
    const char* name;
    std::vector<std::pair<AudioRow, int>> clicks;  // row, place in the row
    std::wstring expected;
};

class AudioSettingsComposition : public AudioSettings, public testing::WithParamInterface<ClickCase> {};

TEST_P(AudioSettingsComposition, ReplacesTheFieldAndEnablesSave) {
    Start();
    auto& d = Open();
    Type(d, L"typed by hand");
    Click(d.SaveButton());
    ASSERT_FALSE(SaveEnabled(d));
    for (const auto& [row, index] : GetParam().clicks) Click(d.ChoiceButton(row, index));
    EXPECT_EQ(Text(d), GetParam().expected);
    EXPECT_TRUE(SaveEnabled(d));
    EXPECT_EQ(form->Options().Parameters(), L"typed by hand") << "only Save changes the string in force";
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, AudioSettingsComposition,
    testing::Values(ClickCase{"MonoAlone", {{RowChannels, 1}}, L"-ac 1"},
                    ClickCase{"MonoThenAutoAgain", {{RowChannels, 1}, {RowChannels, 0}}, L""},
                    ClickCase{"TwentyTwoKilohertz", {{RowSamplingRate, 3}}, L"-ar 22050"},
                    ClickCase{"AllFourRows",
                              {{RowChannels, 2}, {RowBitrate, 3}, {RowSamplingRate, 5}, {RowBitrateControl, 1}},
                              L"-ac 2 -b:a 192k -ar 44100 -q:a 0"},
                    ClickCase{"LaterChoiceInARowWins",
                              {{RowBitrate, 1}, {RowBitrate, 5}, {RowBitrateControl, 2}, {RowSamplingRate, 7}},
                              L"-b:a 320k -ar 96000 -abr 1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AudioSettings, ChoosingTheSelectedButtonAgainKeepsTypedText) {
    Start();
    auto& d = Open();
    Click(d.ChoiceButton(RowChannels, 1));
    Type(d, L" -vol 2");
    Click(d.ChoiceButton(RowChannels, 1));
    Click(d.ChoiceButton(RowBitrate, 0));
    EXPECT_EQ(Text(d), L"-ac 1 -vol 2");
}

struct SaveCase {
    const char* name;
    std::wstring text;
};

class AudioSettingsSave : public AudioSettings, public testing::WithParamInterface<SaveCase> {};

TEST_P(AudioSettingsSave, StoresTheTextAsItIs) {
    Start();
    form->Options().SaveParameters(L"-ac 6");
    auto& d = Open();
    SetWindowTextW(d.ParametersEdit(), GetParam().text.c_str());
    EXPECT_TRUE(SaveEnabled(d));
    Click(d.SaveButton());
    EXPECT_EQ(form->Options().Parameters(), GetParam().text);
    EXPECT_EQ(StoredParameters(), EncodeUtf8(GetParam().text));
    EXPECT_FALSE(SaveEnabled(d));
}

INSTANTIATE_TEST_SUITE_P(Texts, AudioSettingsSave,
                         testing::Values(SaveCase{"Empty", L""}, SaveCase{"SurroundingSpaces", L"  -ac 1 -ar 8000  "},
                                         SaveCase{"NotValidated", L"-this is not ffmpeg \"at all"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AudioSettings, CloseWithoutSaveChangesNothingAndReopeningStartsAfresh) {
    Start();
    form->Options().SaveParameters(L"-ac 2");
    const std::string file = ReadFileBytes(ini);
    auto& first = Open();
    Click(first.ChoiceButton(RowChannels, 1));
    Type(first, L" more");
    const HWND firstWindow = first.Handle();
    Click(first.CloseButton());
    EXPECT_FALSE(IsWindow(firstWindow)) << "closing frees the window";
    EXPECT_EQ(form->Options().Parameters(), L"-ac 2");
    EXPECT_EQ(ReadFileBytes(ini), file);

    auto& second = Open();
    EXPECT_EQ(Text(second), L"-ac 2");
    EXPECT_TRUE(Checked(second.ChoiceButton(RowChannels, 0)));
    EXPECT_FALSE(Checked(second.ChoiceButton(RowChannels, 1)));
}

// Escape, "Close" and the close box close the window and free it.
TEST_F(AudioSettings, EscapeCloseAndTheCloseBoxFreeTheWindow) {
    Start();
    const auto closes = [&](const std::function<void(AudioSettingsDialog&)>& close) {
        auto& d = Open();
        const HWND window = d.Handle();
        close(d);
        return PumpUntil([&] { return !IsWindow(window) && form->Options().AudioSettingsDialogs().empty(); }, 3000);
    };
    EXPECT_TRUE(closes([](AudioSettingsDialog& d) {
        SetFocus(d.ParametersEdit());
        PostMessageW(d.ParametersEdit(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    })) << "Escape";
    EXPECT_TRUE(closes([](AudioSettingsDialog& d) { Click(d.CloseButton()); })) << "Close";
    EXPECT_TRUE(closes([](AudioSettingsDialog& d) { SendMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }))
        << "the close box";
}

// Opened and closed again and again, the windows leave nothing behind: the thread's windows (each
// opening makes about thirty) come back to their number.
TEST_F(AudioSettings, FiveHundredOpeningsKeepTheWindowCountFlat) {
    Start();
    const auto windowCount = [] {
        size_t count = 0;
        for (HWND top : ThreadWindows(GetCurrentThreadId())) count += 1 + ChildWindows(top).size();
        return count;
    };
    const auto openAndClose = [&] {
        auto& d = Open();
        Click(d.CloseButton());
    };
    openAndClose();  // the first opening makes what every window shares
    const size_t before = windowCount();
    auto& open = Open();
    EXPECT_GT(windowCount(), before + 20) << "an open window counts";
    Click(open.CloseButton());
    for (int i = 0; i < 500; ++i) openAndClose();
    EXPECT_TRUE(form->Options().AudioSettingsDialogs().empty());
    EXPECT_EQ(FindWindowW(kAudioSettingsClass, nullptr), nullptr);
    EXPECT_EQ(windowCount(), before);
}

// "Save" is the default button while it is enabled: Enter saves; with nothing to save Enter does
// nothing.
TEST_F(AudioSettings, EnterSavesWhenThereIsSomethingToSave) {
    Start();
    auto& d = Open();
    SetFocus(d.ParametersEdit());
    const auto pressEnter = [&] {
        PostMessageW(d.ParametersEdit(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageW(d.ParametersEdit(), WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001));
    };
    const std::string stored = ReadFileBytes(ini);
    pressEnter();
    // The dialog's hook handles each key as it is taken from the queue, so Enter has been handled
    // once no key is left there. The short pause is for anything it left queued.
    EXPECT_TRUE(PumpUntil(
        [] {
            MSG key;
            return !PeekMessageW(&key, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE);
        },
        3000));
    PumpFor(50);
    EXPECT_TRUE(IsWindowVisible(d.Handle()));
    EXPECT_EQ(form->Options().Parameters(), L"");
    EXPECT_EQ(ReadFileBytes(ini), stored) << "nothing saved";
    Type(d, L"-ac 1");
    EXPECT_TRUE(GetWindowLongPtrW(d.SaveButton(), GWL_STYLE) & BS_DEFPUSHBUTTON);
    pressEnter();
    EXPECT_TRUE(PumpUntil([&] { return form->Options().Parameters() == L"-ac 1"; }, 3000));
    EXPECT_FALSE(SaveEnabled(d));
    EXPECT_FALSE(GetWindowLongPtrW(d.SaveButton(), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(AudioSettings, TabAndArrowKeysMoveThroughTheDialog) {
    Start();
    auto& d = Open();
    SetFocus(d.ChoiceButton(RowBitrate, 0));
    PostMessageW(d.ChoiceButton(RowBitrate, 0), WM_KEYDOWN, VK_RIGHT, 0x014D0001);
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == d.ChoiceButton(RowBitrate, 1); }, 3000));
    EXPECT_EQ(Text(d), L"-b:a 128k");
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() != d.ChoiceButton(RowBitrate, 1); }, 3000));
    EXPECT_EQ(GetAncestor(GetFocus(), GA_ROOT), d.Handle());
}

TEST_F(AudioSettings, TwoWindowsAtOnceBothSaveTheSameString) {
    Start();
    auto& first = Open();
    auto& second = Open();
    ASSERT_EQ(form->Options().AudioSettingsDialogs().size(), 2u);
    EXPECT_TRUE(IsWindowVisible(first.Handle()));
    EXPECT_TRUE(IsWindowVisible(second.Handle()));
    EXPECT_TRUE(IsWindowEnabled(form->Handle())) << "the main window stays usable";

    Click(first.ChoiceButton(RowChannels, 1));
    Click(second.ChoiceButton(RowSamplingRate, 6));
    EXPECT_EQ(Text(first), L"-ac 1");
    EXPECT_EQ(Text(second), L"-ar 48000");
    Click(first.SaveButton());
    EXPECT_EQ(form->Options().Parameters(), L"-ac 1");
    Click(second.SaveButton());
    EXPECT_EQ(form->Options().Parameters(), L"-ar 48000");
    EXPECT_EQ(StoredParameters(), "-ar 48000");
}

TEST_F(AudioSettings, MenuItemOpensOneToo) {
    Start();
    form->RunCommand(CMD_AudioSettings);
    ASSERT_EQ(form->Options().AudioSettingsDialogs().size(), 1u);
    EXPECT_TRUE(IsWindowVisible(form->Options().AudioSettingsDialogs().front()->Handle()));
}

TEST_F(AudioSettings, RememberDecidesWhetherTheNextStartLoadsTheSavedString) {
    Start();
    auto& d = Open();
    Click(d.ChoiceButton(RowChannels, 1));
    Click(d.SaveButton());
    form->RunCommand(CMD_RememberAudioSettings);
    Restart();
    EXPECT_EQ(form->Options().Parameters(), L"-ac 1");

    form->RunCommand(CMD_RememberAudioSettings);
    EXPECT_EQ(form->Options().Parameters(), L"-ac 1") << "the option acts at the next start only";
    Restart();
    EXPECT_EQ(form->Options().Parameters(), L"");
    EXPECT_EQ(StoredParameters(), "-ac 1") << "the saved string stays in the file";

    form->RunCommand(CMD_RememberAudioSettings);
    Restart();
    EXPECT_EQ(form->Options().Parameters(), L"-ac 1") << "turning it on later brings back the string saved long before";
}

}  // namespace
}  // namespace corvana::test
